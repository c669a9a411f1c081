#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Save Option": the separator used to read and write files, whether values
// are saved in double quotes, and whether files are read and written as
// standard CSV. OK stores them in the settings and sets the separator in force
// at once.
class Form13 final : public QDialog {
    Q_OBJECT

public:
    Form13(QWidget* parent, QString& currentSeparator);

    void Form_Load();
    void Combo1_Click();
    void Text2_LostFocus();
    void PushButton2_Click();
    void PushButton4_Click();

    QCheckBox* Check20 = nullptr;
    QCheckBox* Check21 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton4 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    int px(int twips) const;

    QString& m_currentSeparator;
};
