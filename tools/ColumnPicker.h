#pragma once

#include <vector>

#include "window/ToolDialog.h"

class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTreeWidget;
class QVBoxLayout;

// The frame of the ticking tools: the store's columns in a list with a check
// box each, "Select All", "Unselect All", OK and Cancel, and room on the right
// for the tool's own options. Item i of the list is field i of the store, and
// the tool acts on the ticked fields by position.
class ColumnPicker : public ToolDialog {
    Q_OBJECT

public:
    struct Design {
        QString form;           // "Form4"
        QString caption;        // window caption
        QString frameCaption;   // caption of the frame around the list
        QString selectAllName;  // handler names in error reports
        QString unselectAllName;
    };

    ColumnPicker(QWidget* parent, CSVDBS& store, const Design& design);

    void Form_Load();
    void loadColumns();
    void PushButton2_Click();
    void PushButton4_Click();
    void selectAllClick();
    void unselectAllClick();

    // The ticked fields, by position, in field order.
    std::vector<int> tickedFields() const;

    QTreeWidget* ListView1 = nullptr;
    QGroupBox* listFrame = nullptr;
    QPushButton* selectAllButton = nullptr;
    QPushButton* unselectAllButton = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton4 = nullptr;

protected:
    // Where the tool puts its option frames, beside the list.
    QVBoxLayout* optionsArea() const { return m_options; }
    struct Choice {
        QRadioButton** button;
        QString caption;
    };
    // A frame of option buttons added to the options area, one button per
    // line, the first selected; with `besideLast` a text box follows the last
    // button on its line.
    QGroupBox* addChoiceFrame(const QString& caption, std::initializer_list<Choice> choices,
                              QLineEdit** besideLast = nullptr);
    // A check of the tool's own inputs made before the column check; false
    // keeps the dialog open (the tool has said why).
    virtual bool optionsAreValid() { return true; }
    // The tool's change to the store, for the ticked fields; it runs as long
    // work the user may cancel.
    virtual void apply(const std::vector<int>& fields) = 0;

private:
    void setAllTicks(bool ticked);

    Design m_design;
    QVBoxLayout* m_options = nullptr;
};
