// The main window's menu bar, its own entries (Save As, Undo, Redo, Copy,
// Paste, About), the title and the status line.
#include "app/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>

#include "app/GridClipboard.h"
#include "app/GridModel.h"
#include "app/ProfilePanel.h"
#include "app/SaveSettings.h"
#include "app/SettingsStorage.h"
#include "app/StatusLine.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "store/StepScope.h"
#include "window/AppFiles.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/LongWork.h"
#include "window/ManualWindow.h"
#include "window/Procedure.h"

#ifndef TABVANE_VERSION
#define TABVANE_VERSION "1.0"
#endif

QAction* Form1::menuEntry(QMenu* menu, const char* name, const QString& text, void (Form1::*handler)(),
                          const QList<QKeySequence>& keys)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    // The window holds the shortcut too, so it works with every menu closed.
    addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void Form1::createMenus()
{
    m_menuBar = new QMenuBar(this);

    m_fileMenu = m_menuBar->addMenu(QStringLiteral("&File"));
    menuEntry(m_fileMenu, "mnuOpen", QStringLiteral("&Open\u2026"), &Form1::PushButton2_Click, {QKeySequence::Open});
    m_openRecentAnchor = m_fileMenu->addSeparator();
    menuEntry(m_fileMenu, "mnuSave", QStringLiteral("&Save"), &Form1::PushButton6_Click, {QKeySequence::Save});
    menuEntry(m_fileMenu, "SaveAs", QStringLiteral("Save &As\u2026"), &Form1::SaveAs_Click,
              {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    m_fileMenu->addSeparator();
    menuEntry(m_fileMenu, "mnuSaveRecipe", QStringLiteral("Save Re&cipe\u2026"), &Form1::SaveRecipe_Click);
    menuEntry(m_fileMenu, "mnuApplyRecipe", QStringLiteral("Appl&y Recipe\u2026"), &Form1::ApplyRecipe_Click);
    menuEntry(m_fileMenu, "mnuCompareWith", QStringLiteral("Compare &With\u2026"), &Form1::CompareWith_Click);
    m_fileMenu->addSeparator();
    m_exportMenu = m_fileMenu->addMenu(QStringLiteral("&Export"));
    m_exportMenu->addActions({mnuTXT, mnuXLS, mnuPDF, mnuXML, mnuDOC, mnuHTML});
    m_fileMenu->addSeparator();
    QAction* quit = m_fileMenu->addAction(QStringLiteral("&Quit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    addAction(quit);
    // Through closing, so the unsaved-changes question is asked.
    connect(quit, &QAction::triggered, this, &QWidget::close);

    m_editMenu = m_menuBar->addMenu(QStringLiteral("&Edit"));
    m_undo = menuEntry(m_editMenu, "Undo", QStringLiteral("&Undo"), &Form1::Undo_Click, {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    m_redo = menuEntry(m_editMenu, "Redo", QStringLiteral("&Redo"), &Form1::Redo_Click,
                       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_editMenu->addSeparator();
    menuEntry(m_editMenu, "Cut", QStringLiteral("Cu&t"), &Form1::Cut_Click, {QKeySequence::Cut});
    menuEntry(m_editMenu, "Copy", QStringLiteral("&Copy"), &Form1::Copy_Click, {QKeySequence::Copy});
    menuEntry(m_editMenu, "Paste", QStringLiteral("&Paste"), &Form1::Paste_Click, {QKeySequence::Paste});
    m_editMenu->addSeparator();
    menuEntry(m_editMenu, "mnuInsertRow", QStringLiteral("Insert Ro&w"), &Form1::PushButton5_Click);
    menuEntry(m_editMenu, "mnuDeleteRow", QStringLiteral("&Delete Row"), &Form1::PushButton3_Click);
    menuEntry(m_editMenu, "mnuInsertColumn", QStringLiteral("Insert Co&lumn"), &Form1::PushButton4_Click);
    menuEntry(m_editMenu, "mnuDeleteColumn", QStringLiteral("Delete Colu&mn"), &Form1::PushButton1_Click);
    m_editMenu->addSeparator();
    menuEntry(m_editMenu, "mnuFindAndReplace", QStringLiteral("&Find and Replace\u2026"), &Form1::PushButton23_Click,
              {QKeySequence::Find, QKeySequence::Replace});
    menuEntry(m_editMenu, "mnuFilter", QStringLiteral("F&ilter\u2026"), &Form1::PushButton8_Click,
              {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)});

    QMenu* view = m_menuBar->addMenu(QStringLiteral("&View"));
    m_profileAction = menuEntry(view, "mnuColumnProfile", QStringLiteral("Column &Profile"), &Form1::ColumnProfile_Click,
                                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)});
    m_profileAction->setCheckable(true);

    QMenu* tools = m_menuBar->addMenu(QStringLiteral("&Tools"));
    menuEntry(tools, "mnuRemoveDuplicates", QStringLiteral("Remove Entire Row &Duplicates"), &Form1::PushButton11_Click);
    menuEntry(tools, "mnuRemovePartialDuplicates", QStringLiteral("Remove &Partial Duplicates\u2026"), &Form1::PushButton13_Click);
    menuEntry(tools, "mnuSortByColumn", QStringLiteral("Sort &By Column\u2026"), &Form1::PushButton14_Click);
    menuEntry(tools, "mnuSort", QStringLiteral("&Sort\u2026"), &Form1::Sort_Click);
    menuEntry(tools, "mnuSplitColumns", QStringLiteral("Spli&t Columns\u2026"), &Form1::PushButton16_Click);
    menuEntry(tools, "mnuJoinColumns", QStringLiteral("&Join Columns\u2026"), &Form1::PushButton17_Click);
    menuEntry(tools, "mnuChangeCase", QStringLiteral("&Change Case Of Text\u2026"), &Form1::PushButton18_Click);
    menuEntry(tools, "mnuPrefixSuffix", QStringLiteral("Add Prefix-Su&ffix To All Column Data\u2026"), &Form1::PushButton15_Click);
    menuEntry(tools, "mnuRearrangeColumns", QStringLiteral("&Rearrange Column Order\u2026"), &Form1::PushButton22_Click);
    menuEntry(tools, "mnuClusterValues", QStringLiteral("C&luster Similar Values\u2026"), &Form1::ClusterValues_Click);
    tools->addSeparator();
    menuEntry(tools, "mnuAppendFile", QStringLiteral("&Append File (Up and Down)\u2026"), &Form1::PushButton24_Click);
    menuEntry(tools, "mnuMergeFile", QStringLiteral("&Merge File (Left and Right)\u2026"), &Form1::PushButton25_Click);
    tools->addSeparator();
    menuEntry(tools, "mnuSaveOptions", QStringLiteral("Save &Options\u2026"), &Form1::PushButton28_Click);

    QMenu* help = m_menuBar->addMenu(QStringLiteral("&Help"));
    menuEntry(help, "mnuManual", QStringLiteral("&Manual"), &Form1::Manual_Click, {QKeySequence::HelpContents});
    menuEntry(help, "mnuHelp", QStringLiteral("&Help"), &Form1::PushButton9_Click);
    menuEntry(help, "About", QStringLiteral("&About Tabvane Software"), &Form1::About_Click);

    m_status = new StatusLine(this);
    // Long work shows its progress here too, whichever window runs it.
    LongWork::setWatcher(m_status);
}

void Form1::Manual_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("Manual_Click"));
    p.step([&] {
        if (m_manual) {
            m_manual->raise();
            m_manual->activateWindow();
            return;
        }
        const QString page = ManualWindow::page();
        if (page.isEmpty()) {
            prompter().message(QStringLiteral("The manual is not installed: ") + appFile(QStringLiteral("doc/manual.html")),
                               appTitle(), Prompter::Icon::Exclamation);
            return;
        }
        auto* manual = new ManualWindow(this, page);
        manual->setAttribute(Qt::WA_DeleteOnClose);
        manual->show();
        m_manual = manual;
    });
}

void Form1::About_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("About_Click"));
    p.step([&] {
        prompter().message(QStringLiteral("Tabvane Software\r\nVersion ") + QStringLiteral(TABVANE_VERSION), appTitle(),
                           Prompter::Icon::Information);
    });
}

void Form1::SaveAs_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("SaveAs_Click"));
    if (!m_store || !m_store->HasFieldList()) {
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    // The same question, checks and messages as saving the sample under a new name.
    if (saveToNewFile(p))
        m_status->say(QStringLiteral("Saved as ") + QFileInfo(Text1->text()).fileName());
}

void Form1::Undo_Click() { stepThroughHistory(QStringLiteral("Undo_Click"), true); }
void Form1::Redo_Click() { stepThroughHistory(QStringLiteral("Redo_Click"), false); }

void Form1::stepThroughHistory(const QString& handler, bool back)
{
    Procedure p(QStringLiteral("Form1"), handler);
    if (!m_store || isBusy(this) || !(back ? m_store->CanUndo() : m_store->CanRedo()))
        return;
    const QString name = QString::fromStdString(back ? m_store->UndoName() : m_store->RedoName());
    p.step([&] { back ? m_store->Undo() : m_store->Redo(); });
    p.step([&] { loadCSVToListview(); });
    m_status->say((back ? QStringLiteral("Undid ") : QStringLiteral("Redid ")) + name);
}

void Form1::Cut_Click()
{
    if (QLineEdit* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()); box && !ListView1->isAncestorOf(box)) {
        box->cut();
        return;
    }
    if (!m_store || isBusy(this) || ListView1->selectionModel()->selection().isEmpty())
        return;
    Copy_Click();
    clearSelection("Cut");
}

void Form1::Copy_Click()
{
    // In a text box, Ctrl+C copies its text as usual.
    if (QLineEdit* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()); box && !ListView1->isAncestorOf(box)) {
        box->copy();
        return;
    }
    const QString text = GridClipboard::copyText(*m_grid, ListView1->selectionModel()->selectedIndexes());
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void Form1::Paste_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("Paste_Click"));
    if (QLineEdit* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()); box && !ListView1->isAncestorOf(box)) {
        box->paste();
        return;
    }
    const QModelIndex current = ListView1->currentIndex();
    if (!m_store || isBusy(this) || !current.isValid())
        return;
    cellblocks::Pasted pasted;
    p.step([&] {
        pasted = GridClipboard::paste(*m_store, *m_grid, current.row(), current.column(),
                                      QApplication::clipboard()->text());
    });
    refreshState();
    if (pasted.cells > 0)
        m_status->say(QStringLiteral("Pasted ") + groupedCount(pasted.cells) +
                      (pasted.cells == 1 ? QStringLiteral(" value") : QStringLiteral(" values")) +
                      (pasted.clipped ? QStringLiteral("; what lay beyond the last row or column was left out") : QString()));
}

void Form1::ListView1_HeaderClick(int column)
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("ListView1_HeaderClick"));
    if (!m_store || isBusy(this) || column < 0 || column >= m_grid->columnCount() || m_grid->rowCount() == 0)
        return;
    const bool descending = column == m_headerSorted && m_headerDescends;
    const QString heading = m_grid->heading(column);
    bool sorted = true;
    p.step([&] {
        sorted = runLongWork([&] {
            const StepScope step(*m_store, "Sort By Column",
                                 {"SortDataAt", {{"direction", descending ? "2" : "1"}, {"field", std::to_string(column + 1)}}});
            m_store->SortDataAt(descending ? 2 : 1, column + 1);
        });
    });
    if (!sorted)
        return;
    m_headerSorted = column;
    m_headerDescends = !descending;
    m_sortedBy = heading;
    p.step([&] { loadCSVToListview(); });
    ListView1->horizontalHeader()->setSortIndicatorShown(true);
    ListView1->horizontalHeader()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QString Form1::fileFactsText() const
{
    FileFacts facts;
    facts.loaded = m_store && m_store->HasFieldList();
    facts.settingsForThisRun = !SettingsStorage::current().problem().isEmpty();
    if (facts.loaded) {
        facts.rows = std::max(m_store->RecordCount(), 0);
        facts.columns = m_store->FieldCount();
        facts.byteOrderMark = m_store->HasByteOrderMark();
        // How the open file was read, and so how it is written back.
        facts.standardQuoting = m_store->StandardQuoting();
        facts.encoding = m_store->Encoding();
        facts.lineFeedEnds = m_store->LineFeedEnds();
    } else {
        facts.standardQuoting = SaveSettings::standardQuoting();
    }
    facts.separator = m_currentSeparator;
    facts.quoted = SaveSettings::saveQuotes();
    return formatFileFacts(facts);
}

void Form1::updateTitle()
{
    const bool open = m_store && m_store->HasFieldList() && !m_store->FileName().empty();
    if (!open) {
        setWindowTitle(ProductName);
        setWindowModified(false);
        return;
    }
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_store->FileName()))).fileName();
    setWindowTitle(name + QStringLiteral("[*] \u2014 ") + ProductName);
    setWindowModified(m_store->ChangesMade());
}

void Form1::reportLastStep()
{
    if (!m_store)
        return;
    const History& history = m_store->StepHistory();
    const std::int64_t rows = std::max(m_store->RecordCount(), 0);
    const int columns = m_store->FieldCount();
    if (history.position() > m_seenPosition && history.lastDone()) {
        const Step& step = *history.lastDone();
        m_status->say(reportStep(step.name(), {m_seenRows, m_seenColumns}, {rows, columns}, step.valuesChanged(),
                                 step.name() == "Sort By Column" || step.name() == "Sort" ? m_sortedBy : QString()));
    }
    m_sortedBy.clear();
    m_seenPosition = history.position();
    m_seenRows = rows;
    m_seenColumns = columns;
}

void Form1::refreshState()
{
    if (!m_store)
        return;
    reportLastStep();
    tellJournalProblem();
    if (m_profilePanel && !m_profilePanel->isHidden())
        m_profilePanel->refresh();
    sayShownRows();
    updateTitle();
    m_undo->setEnabled(m_store->CanUndo());
    m_undo->setText(m_store->CanUndo() ? QStringLiteral("&Undo ") + QString::fromStdString(m_store->UndoName())
                                       : QStringLiteral("&Undo"));
    m_redo->setEnabled(m_store->CanRedo());
    m_redo->setText(m_store->CanRedo() ? QStringLiteral("&Redo ") + QString::fromStdString(m_store->RedoName())
                                       : QStringLiteral("&Redo"));
    // Said for as long as it holds: a message would be gone with the next one.
    m_status->showFacts(fileFactsText(), SettingsStorage::current().problem());
}

void Form1::refreshButtonHover()
{
    const QPoint pointer = QCursor::pos();
    for (QPushButton* b : buttons()) {
        const bool under = b->isVisible() && b->rect().contains(b->mapFromGlobal(pointer));
        if (b->testAttribute(Qt::WA_UnderMouse) != under) {
            b->setAttribute(Qt::WA_UnderMouse, under);
            b->update();
        }
    }
}
