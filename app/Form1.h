#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QRect>
#include <QString>
#include <QWidget>

#include "store/Progress.h"

class CSVDBS;
class GridModel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QAction;
class QTableView;

// The main window: the open file in a grid and one button per operation. It
// owns the record store and the current separator for the whole run.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    CSVDBS& store() { return *m_store; }
    const QString& currentSeparator() const { return m_currentSeparator; }
    void setCurrentSeparator(const QString& separator) { m_currentSeparator = separator; }
    GridModel& grid() { return *m_grid; }

    // Start-up, run once from the constructor.
    void Form_Load();
    // Asks about unsaved changes; false keeps the window open.
    bool Form_QueryUnload();

    void PushButton2_Click();
    void PushButton7_Click();
    void Check12_Click();
    void loadCSVToListview();
    void PushButton6_Click();
    void PushButton28_Click();
    void PushButton9_Click();
    void PushButton10_Click();
    void ListView1_KeyDown(int key);

    // Editing commands and the column tools.
    void PushButton5_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton1_Click();
    void PushButton11_Click();
    void PushButton13_Click();
    void PushButton14_Click();
    void PushButton16_Click();
    void PushButton15_Click();
    void PushButton18_Click();
    void PushButton17_Click();
    void PushButton22_Click();
    void PushButton23_Click();

    // Combining with a second file.
    void PushButton24_Click();
    void PushButton25_Click();

    // Filter and the "Export CSV To..." menu.
    void PushButton8_Click();
    void mnuTXT_Click();
    void mnuXLS_Click();
    void mnuPDF_Click();
    void mnuXML_Click();
    void mnuDOC_Click();
    void mnuHTML_Click();
    bool SaveResultsAsExcelFileIsExcelInstalled();

    // The controls, named as the window has always named them.
    QGroupBox* Frame1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* Check12 = nullptr;
    QLabel* lblLoading = nullptr;
    QTableView* ListView1 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton28 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton13 = nullptr;
    QPushButton* PushButton14 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton16 = nullptr;
    QPushButton* PushButton17 = nullptr;
    QPushButton* PushButton18 = nullptr;
    QPushButton* PushButton15 = nullptr;
    QPushButton* PushButton22 = nullptr;
    QPushButton* PushButton23 = nullptr;
    QPushButton* PushButton24 = nullptr;
    QPushButton* PushButton25 = nullptr;
    QMenu* mnuSaveAs = nullptr;
    QAction* mnuTXT = nullptr;
    QAction* mnuXLS = nullptr;
    QAction* mnuPDF = nullptr;
    QAction* mnuXML = nullptr;
    QAction* mnuDOC = nullptr;
    QAction* mnuHTML = nullptr;

    // The client size the window was designed for, in pixels at this screen's dpi.
    QSize designedSize() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // How a control moves when the window grows beyond its designed size.
    enum class Anchor { Fixed, Widen, Grid, FrameButton, ButtonBlock, Label };
    struct Placement {
        QWidget* widget;
        QRect twips;
        Anchor anchor;
    };

    void createControls();
    QPushButton* button(QWidget* parent, const QString& caption, QRect twips, Anchor anchor);
    void place(QWidget* widget, QRect twips, Anchor anchor);
    void layoutControls();
    void connectHandlers();
    void installPointerRules();
    int px(int twips) const;

    void readStartSeparator();
    bool mayDiscardChanges();
    bool loadInto(const QString& fileName);
    // LoadFile with the progress line, the busy pointer and no other command taken.
    bool loadWithProgress();
    bool loadWithProgress(CSVDBS& store);
    // "Error loading CSV file." and, on a second line, why.
    void tellLoadFailed();
    // Says, once the grid is filled, which lines had values left out.
    void tellLeftOutValues();
    void showLoadProgress(std::int64_t done, std::int64_t total);
    void enableCommands();
    void fitColumns();
    // The grid row the user has selected, or -1.
    int selectedGridRow() const;
    // Runs store work with the busy pointer and progress, taking no other command.
    void runLongWork(const std::function<void(const ProgressCallback&)>& work);
    template <typename Tool, typename... Extra>
    void openTool(const QString& handler, const Extra&... extra);
    std::vector<QPushButton*> buttons() const;

    std::unique_ptr<CSVDBS> m_store;
    GridModel* m_grid = nullptr;
    QString m_currentSeparator;
    std::vector<Placement> m_placements;
    bool m_released = false;
};
