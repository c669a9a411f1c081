#include "tools/ColumnPicker.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "store/CSVDBS.h"
#include "window/ToolLayout.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"

ColumnPicker::ColumnPicker(QWidget* parent, CSVDBS& store, const Design& design)
    : ToolDialog(parent, store, design.form, design.caption), m_design(design)
{
    listFrame = new QGroupBox(design.frameCaption, this);
    ListView1 = makeColumnList(listFrame);
    selectAllButton = makeButton(QStringLiteral("Select All"));
    unselectAllButton = makeButton(QStringLiteral("Unselect All"));
    PushButton2 = makeButton(QStringLiteral("OK"));
    PushButton4 = makeButton(QStringLiteral("Cancel"));

    auto* frameLayout = new QVBoxLayout(listFrame);
    frameLayout->addWidget(ListView1);
    auto* selection = new QHBoxLayout;
    selection->addWidget(selectAllButton);
    selection->addWidget(unselectAllButton);
    selection->addStretch();
    frameLayout->addLayout(selection);

    m_options = new QVBoxLayout;
    auto* grid = new QGridLayout(this);
    grid->addWidget(listFrame, 0, 0);
    grid->addLayout(m_options, 0, 1);
    grid->addLayout(dialogButtonRow(progressLabel(), PushButton2, PushButton4), 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    connect(selectAllButton, &QPushButton::clicked, this, &ColumnPicker::selectAllClick);
    connect(unselectAllButton, &QPushButton::clicked, this, &ColumnPicker::unselectAllClick);
    connect(PushButton2, &QPushButton::clicked, this, &ColumnPicker::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &ColumnPicker::PushButton4_Click);
    handOver({selectAllButton, unselectAllButton, PushButton2, PushButton4});
    arrowOver({this, listFrame, ListView1, ListView1->viewport()});
    nameControls({{ListView1, "ListView1"}, {PushButton2, "PushButton2"}, {PushButton4, "PushButton4"}});
}

QGroupBox* ColumnPicker::addChoiceFrame(const QString& caption, std::initializer_list<Choice> choices,
                                        QLineEdit** besideLast)
{
    auto* frame = new QGroupBox(caption, this);
    auto* lines = new QGridLayout(frame);
    int line = 0;
    for (const Choice& choice : choices) {
        *choice.button = new QRadioButton(choice.caption, frame);
        lines->addWidget(*choice.button, line++, 0);
    }
    if (besideLast) {
        *besideLast = new QLineEdit(frame);
        (*besideLast)->setMaximumWidth(120);
        lines->addWidget(*besideLast, line - 1, 1, Qt::AlignLeft);
        lines->setColumnStretch(1, 1);
    }
    (*choices.begin()->button)->setChecked(true);
    m_options->addWidget(frame);
    arrowOver({frame});
    return frame;
}

void ColumnPicker::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
    p.step([&] { loadColumns(); });
}

void ColumnPicker::loadColumns() { fillColumnList(ListView1, true); }

void ColumnPicker::setAllTicks(bool ticked)
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void ColumnPicker::selectAllClick()
{
    Procedure p = procedure(m_design.selectAllName);
    p.step([&] { setAllTicks(true); });
}

void ColumnPicker::unselectAllClick()
{
    Procedure p = procedure(m_design.unselectAllName);
    p.step([&] { setAllTicks(false); });
}

std::vector<int> ColumnPicker::tickedFields() const
{
    std::vector<int> fields;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->checkState(0) == Qt::Checked)
            fields.push_back(i + 1);
    return fields;
}

void ColumnPicker::PushButton2_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton2_Click"));
    bool valid = false;
    p.step([&] { valid = optionsAreValid(); });
    if (!valid)
        return;
    const std::vector<int> fields = tickedFields();
    if (fields.empty()) {
        p.step([&] { tellUser(QStringLiteral("You must select first columns.")); });
        return;
    }
    runWorkThenAccept(p, [&] { apply(fields); });
}

void ColumnPicker::PushButton4_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton4_Click"));
    p.step([&] { reject(); });
}
