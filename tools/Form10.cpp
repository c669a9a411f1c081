#include "tools/Form10.h"

#include <algorithm>
#include <numeric>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>

#include "store/CSVDBS.h"
#include "tools/FindNext.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"
#include "window/ToolLayout.h"

namespace {

// A line under a field for what is wrong with it; hidden while empty.
QLabel* messageLine(QWidget* parent)
{
    auto* line = new QLabel(parent);
    line->setWordWrap(true);
    line->setTextFormat(Qt::PlainText);
    line->hide();
    return line;
}

void say(QLabel* line, const QString& text)
{
    line->setText(text);
    line->setVisible(!text.isEmpty());
}

QString valuesWouldChange(std::int64_t count)
{
    if (count == 0)
        return QStringLiteral("No value would change.");
    return QLocale().toString(static_cast<qlonglong>(count))
           + (count == 1 ? QStringLiteral(" value would change.") : QStringLiteral(" values would change."));
}

} // namespace

Form10::Form10(QWidget* parent, CSVDBS& store, GridPlace* grid)
    : ToolDialog(parent, store, QStringLiteral("Form10"), QStringLiteral("Find and Replace")), m_grid(grid)
{
    if (m_grid) {
        m_column = m_grid->currentColumn();
        m_block = m_grid->selectedBlock();
    }
    Label1[0] = new QLabel(QStringLiteral("Find What:"), this);
    Label1[1] = new QLabel(QStringLiteral("Replace With:"), this);
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Text1->setMinimumWidth(px(this, 4500));
    FindError = messageLine(this);
    ReplaceError = messageLine(this);
    // What is wrong stands out from the captions round it.
    for (QLabel* line : {FindError, ReplaceError})
        line->setStyleSheet(QStringLiteral("color: #b3261e;"));

    WholeValue = new QRadioButton(QStringLiteral("&Whole value"), this);
    Contains = new QRadioButton(QStringLiteral("Co&ntains"), this);
    Pattern = new QRadioButton(QStringLiteral("&Pattern"), this);
    WholeValue->setChecked(true);
    Pattern->setToolTip(QStringLiteral("A regular expression; \\1 to \\9 in the replacement stand for its groups."));
    auto* modes = new QButtonGroup(this);
    auto* modeRow = new QHBoxLayout;
    for (QRadioButton* mode : {WholeValue, Contains, Pattern}) {
        modes->addButton(mode);
        modeRow->addWidget(mode);
    }
    modeRow->addStretch(1);
    MatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    modeRow->addWidget(MatchCase);

    LookIn = new QComboBox(this);
    LookIn->addItem(QStringLiteral("All columns"), AllColumns);
    if (m_grid && m_column >= 0)
        LookIn->addItem(QStringLiteral("This column (%1)").arg(m_grid->heading(m_column)), ThisColumn);
    if (m_block)
        LookIn->addItem(QStringLiteral("The selected cells"), SelectedCells);
    auto* lookInLabel = new QLabel(QStringLiteral("&Look In:"), this);
    lookInLabel->setBuddy(LookIn);
    Result = messageLine(this);

    FindNextButton = makeButton(QStringLiteral("Find &Next"));
    FindNextButton->setEnabled(m_grid != nullptr);
    CountButton = makeButton(QStringLiteral("C&ount"));
    PushButton2 = makeButton(QStringLiteral("OK"));
    PushButton4 = makeButton(QStringLiteral("Cancel"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1[0], 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(FindError, 1, 1);
    layout->addWidget(Label1[1], 2, 0);
    layout->addWidget(Text2, 2, 1);
    layout->addWidget(ReplaceError, 3, 1);
    layout->addLayout(modeRow, 4, 1);
    layout->addWidget(lookInLabel, 5, 0);
    layout->addWidget(LookIn, 5, 1);
    layout->addWidget(Result, 6, 1);
    auto* buttons = dialogButtonRow(progressLabel(), PushButton2, PushButton4);
    buttons->insertWidget(1, FindNextButton);
    buttons->insertWidget(2, CountButton);
    buttons->insertSpacing(3, px(this, 240));
    layout->addLayout(buttons, 7, 0, 1, 2);
    layout->setColumnStretch(1, 1);

    connect(PushButton2, &QPushButton::clicked, this, &Form10::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form10::PushButton4_Click);
    connect(FindNextButton, &QPushButton::clicked, this, &Form10::FindNext_Click);
    connect(CountButton, &QPushButton::clicked, this, &Form10::Count_Click);
    // A message about the old text would mislead once it is changed.
    for (QLineEdit* field : {Text1, Text2})
        connect(field, &QLineEdit::textEdited, this, &Form10::clearMessages);
    connect(modes, &QButtonGroup::buttonClicked, this, &Form10::clearMessages);
    connect(MatchCase, &QCheckBox::toggled, this, &Form10::clearMessages);
    connect(LookIn, &QComboBox::currentIndexChanged, this, &Form10::clearMessages);
    handOver({PushButton2, PushButton4, FindNextButton, CountButton});
    arrowOver({this});
    Form_Load();
    nameControls({{Text1, "Text1"},
                  {Text2, "Text2"},
                  {PushButton2, "PushButton2"},
                  {PushButton4, "PushButton4"},
                  {WholeValue, "WholeValue"},
                  {Contains, "Contains"},
                  {Pattern, "Pattern"},
                  {MatchCase, "MatchCase"},
                  {LookIn, "LookIn"},
                  {FindNextButton, "FindNext"},
                  {CountButton, "Count"}});
}

void Form10::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
}

textreplace::Choice Form10::choice() const
{
    textreplace::Choice c;
    c.mode = Pattern->isChecked()    ? textreplace::Mode::Pattern
             : Contains->isChecked() ? textreplace::Mode::Contains
                                     : textreplace::Mode::WholeValue;
    c.find = Text1->text().toStdString();
    c.replace = Text2->text().toStdString();
    c.matchCase = MatchCase->isChecked();
    const int scope = LookIn->currentData().toInt();
    if (scope == ThisColumn) {
        c.fields = {m_column + 1};
    } else if (scope == SelectedCells) {
        for (const int column : m_block->columns)
            c.fields.push_back(column + 1);
        c.records.reserve(m_block->rows.size());
        for (const int row : m_block->rows)
            c.records.push_back(m_grid->recordAt(row));
    }
    return c;
}

GridPlace::Block Form10::scopeBlock() const
{
    const int scope = LookIn->currentData().toInt();
    if (scope == SelectedCells)
        return *m_block;
    GridPlace::Block block;
    block.rows.resize(static_cast<std::size_t>(m_grid->shownRows()));
    std::iota(block.rows.begin(), block.rows.end(), 0);
    if (scope == ThisColumn)
        block.columns = {m_column};
    else
        for (int c = 0; c < m_grid->columnCount(); ++c)
            block.columns.push_back(c);
    return block;
}

void Form10::showError(const textreplace::ChoiceError& error)
{
    const bool inFind = error.field == textreplace::ChoiceError::Field::Find;
    say(inFind ? FindError : ReplaceError, QString::fromStdString(error.what()));
    (inFind ? Text1 : Text2)->setFocus();
    // A long message wraps; the dialog grows to show all of it.
    layout()->activate();
    resize(width(), std::max(height(), layout()->totalHeightForWidth(width())));
}

void Form10::clearMessages()
{
    for (QLabel* line : {FindError, ReplaceError, Result})
        say(line, QString());
}

void Form10::PushButton2_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton2_Click"));
    clearMessages();
    std::int64_t changed = 0;
    bool refused = false;
    p.step([&] {
        const textreplace::Choice chosen = choice();
        try {
            const textreplace::Matcher check(chosen); // refuses before the busy pointer shows
        } catch (const textreplace::ChoiceError& error) {
            showError(error);
            refused = true;
            return;
        }
        refused = !runWork([&] { changed = textreplace::replaceAll(store(), chosen); });
    });
    if (refused)
        return;
    if (changed == 0)
        p.step([&] { tellUser(QStringLiteral("Search found no match.")); });
    accept();
}

void Form10::PushButton4_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton4_Click"));
    p.step([&] { reject(); });
}

void Form10::FindNext_Click()
{
    Procedure p = procedure(QStringLiteral("FindNext_Click"));
    clearMessages();
    p.step([&] {
        try {
            const textreplace::Matcher matcher(choice());
            const GridPlace::Block block = scopeBlock();
            const auto found = findNext(store(), matcher, block.rows, block.columns, m_grid->currentRow(),
                                        m_grid->currentColumn(), [&](int row) { return m_grid->recordAt(row); });
            if (found)
                m_grid->moveTo(found->first, found->second);
            else
                say(Result, QStringLiteral("Search found no match."));
        } catch (const textreplace::ChoiceError& error) {
            showError(error);
        }
    });
}

void Form10::Count_Click()
{
    Procedure p = procedure(QStringLiteral("Count_Click"));
    clearMessages();
    p.step([&] {
        try {
            std::int64_t count = 0;
            const textreplace::Choice chosen = choice();
            const textreplace::Matcher check(chosen);
            if (runWork([&] { count = textreplace::countChanges(store(), chosen); }))
                say(Result, valuesWouldChange(count));
        } catch (const textreplace::ChoiceError& error) {
            showError(error);
        }
    });
}
