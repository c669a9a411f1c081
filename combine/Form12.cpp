#include "combine/Form12.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "combine/CombineFiles.h"
#include "combine/KeyMerge.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"
#include "window/ToolLayout.h"

namespace {

QString numbered(std::int64_t n) { return QLocale().toString(static_cast<qlonglong>(n)); }

} // namespace

Form12::Form12(QWidget* parent, CSVDBS& store, const QString& separator)
    : SecondFileDialog(parent, store, QStringLiteral("Form12"), QStringLiteral("Merge File (Left and Right)"),
                       separator)
{
    Label1 = new QLabel(QStringLiteral("CSV File:"), this);

    Frame1 = makeOptionFrame(QStringLiteral("Merge Option"), {QStringLiteral("Merge File Left"), &Option1},
                             {QStringLiteral("Merge File Right"), &Option2});

    ByKey = new QCheckBox(QStringLiteral("Match rows by &key column"), this);
    KeyFrame = new QGroupBox(this);
    OpenKey = new QComboBox(KeyFrame);
    for (const std::string& name : store.GetFieldList())
        OpenKey->addItem(QString::fromStdString(name));
    SecondKey = new QComboBox(KeyFrame);
    JoinKind = new QComboBox(KeyFrame);
    JoinKind->addItem(QStringLiteral("Keep every row of this file"));
    JoinKind->addItem(QStringLiteral("Only rows found in both"));
    JoinKind->addItem(QStringLiteral("Every row of both"));
    LooseKeys = new QCheckBox(QStringLiteral("Keys match &ignoring case and surrounding spaces"), KeyFrame);
    Columns = makeColumnList(KeyFrame);
    Columns->setHeaderLabels({QStringLiteral("Columns to bring in")});
    Columns->setMinimumHeight(px(this, 2000));
    auto* keys = new QFormLayout(KeyFrame);
    keys->addRow(QStringLiteral("Key in this file:"), OpenKey);
    keys->addRow(QStringLiteral("Key in the other file:"), SecondKey);
    keys->addRow(QStringLiteral("Rows:"), JoinKind);
    keys->addRow(LooseKeys);
    keys->addRow(Columns);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(PushButton2, 0, 2);
    grid->addWidget(Frame1, 1, 0, 1, 3);
    grid->addWidget(ByKey, 2, 0, 1, 3);
    grid->addWidget(KeyFrame, 3, 0, 1, 3);
    grid->addLayout(dialogButtonRow(progressLabel(), PushButton1, PushButton4), 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    KeyFrame->hide();

    connect(PushButton1, &QPushButton::clicked, this, &Form12::PushButton1_Click);
    connect(ByKey, &QCheckBox::toggled, this, &Form12::showKeyChoices);
    // A new path is read when the key choices are next wanted.
    connect(Text1, &QLineEdit::editingFinished, this, [this] {
        if (ByKey->isChecked())
            showKeyChoices(true);
    });
    connectButtons();
    arrowOver({Frame1, KeyFrame});
    Form_Load();
    nameControls({{Label1, "Label1"}, {Frame1, "Frame1"}, {Option1, "Option1"}, {Option2, "Option2"},
                  {ByKey, "ByKey"}, {OpenKey, "OpenKey"}, {SecondKey, "SecondKey"}, {JoinKind, "JoinKind"},
                  {LooseKeys, "LooseKeys"}, {Columns, "Columns"}});
}

Form12::~Form12() = default;

void Form12::showKeyChoices(bool shown)
{
    Procedure p = procedure(QStringLiteral("ByKey_Click"));
    if (shown && !Text1->text().trimmed().isEmpty())
        secondFileRead(p);
    KeyFrame->setVisible(shown);
    adjustSize();
}

bool Form12::secondFileRead(Procedure& p)
{
    if (m_second && m_secondPath == Text1->text())
        return true;
    auto second = std::make_unique<CSVDBS>();
    // The second file's first line always names its columns.
    if (!readSecondFile(p, *second, true))
        return false;
    m_second = std::move(second);
    m_secondPath = Text1->text();
    SecondKey->clear();
    Columns->clear();
    const std::vector<std::string> names = m_second->GetFieldList();
    for (const std::string& name : names) {
        const QString heading = QString::fromStdString(name);
        SecondKey->addItem(heading);
        auto* item = new QTreeWidgetItem(Columns, {heading});
        item->setCheckState(0, Qt::Checked);
    }
    // The key column of the same name, where there is one, and then not
    // brought in twice.
    const int same = SecondKey->findText(OpenKey->currentText());
    SecondKey->setCurrentIndex(std::max(same, 0));
    if (same >= 0)
        Columns->topLevelItem(same)->setCheckState(0, Qt::Unchecked);
    return true;
}

void Form12::PushButton1_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton1_Click"));
    if (!store().HasFieldList()) {
        // Nothing to merge into: there are no columns to pair the new ones with.
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    if (ByKey->isChecked()) {
        mergeByKey(p);
        return;
    }
    CSVDBS second;
    // The second file's first line always names its columns.
    if (!readSecondFile(p, second, true))
        return;
    const auto where = Option1->isChecked() ? CombineFiles::MergePlace::Left : CombineFiles::MergePlace::Right;
    runWorkThenAccept(p, [&] { CombineFiles::mergeFields(store(), second, where); });
}

void Form12::mergeByKey(Procedure& p)
{
    if (!secondFileRead(p))
        return;
    using namespace CombineFiles;
    KeyChoice choice;
    choice.openKey = OpenKey->currentIndex() + 1;
    choice.secondKey = SecondKey->currentText().toStdString();
    for (int i = 0; i < Columns->topLevelItemCount(); ++i)
        if (Columns->topLevelItem(i)->checkState(0) == Qt::Checked)
            choice.columns.push_back(Columns->topLevelItem(i)->text(0).toStdString());
    choice.kind = static_cast<CombineFiles::JoinKind>(JoinKind->currentIndex());
    choice.looseKeys = LooseKeys->isChecked();
    choice.where = Option1->isChecked() ? MergePlace::Left : MergePlace::Right;
    if (choice.columns.empty()) {
        p.step([&] { tellUser(QStringLiteral("You must select first columns.")); });
        return;
    }
    KeyPlan plan;
    bool go = true;
    p.step([&] {
        try {
            go = runWork([&] { plan = planKeyMerge(store(), *m_second, choice); });
        } catch (const KeyMergeError& bad) {
            tellUser(QString::fromStdString(bad.what()));
            go = false;
            return;
        }
        if (!go)
            return;
        if (plan.repeatedKeys > 0) {
            choice.everyMatch = prompter().askYesNo(
                QStringLiteral("%1 key(s) appear more than once in the other file, the first being \"%2\" (%3 rows).\n\n"
                               "Make one row for each match? No takes the first match only.")
                    .arg(numbered(plan.repeatedKeys), QString::fromStdString(plan.firstRepeat),
                         numbered(plan.firstRepeatRows)),
                QStringLiteral("Repeated Keys"), Prompter::Icon::Question);
            if (choice.everyMatch && !runWork([&] { plan = planKeyMerge(store(), *m_second, choice); })) {
                go = false;
                return;
            }
        }
        // A key that many rows share can multiply the rows: say how many
        // before memory is spent on them.
        const std::int64_t usual = store().RecordsHeld() + m_second->RecordsHeld();
        if (plan.rows > usual)
            go = prompter().askYesNo(QStringLiteral("The merge would make %1 rows, from %2 and %3.\n\nGo on?")
                                         .arg(numbered(plan.rows), numbered(store().RecordsHeld()),
                                              numbered(m_second->RecordsHeld())),
                                     QStringLiteral("Many Rows"), Prompter::Icon::Question);
    });
    if (!go)
        return;
    p.step([&] {
        go = runWork([&] { plan = CombineFiles::mergeByKey(store(), *m_second, choice); });
        if (go)
            tellUser(QString::fromStdString(describe(plan)));
    });
    if (go)
        accept();
}
