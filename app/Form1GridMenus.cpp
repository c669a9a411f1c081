// The grid's context menus: the cell commands and rows at the selection on
// the cells, columns at the clicked heading on the column header.
#include "app/Form1.h"

#include <algorithm>
#include <set>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <QTimer>

#include "app/GridModel.h"
#include "app/StatusLine.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "store/table/TextFold.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/Procedure.h"

namespace {

QAction* menuCommand(QMenu* menu, const char* name, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

void Form1::createContextMenus()
{
    m_gridMenu = new QMenu(this);
    connect(menuCommand(m_gridMenu, "ctxCut", QStringLiteral("Cu&t")), &QAction::triggered, this, &Form1::Cut_Click);
    connect(menuCommand(m_gridMenu, "ctxCopy", QStringLiteral("&Copy")), &QAction::triggered, this, &Form1::Copy_Click);
    connect(menuCommand(m_gridMenu, "ctxPaste", QStringLiteral("&Paste")), &QAction::triggered, this, &Form1::Paste_Click);
    connect(menuCommand(m_gridMenu, "ctxClear", QStringLiteral("C&lear")), &QAction::triggered, this, [this] {
        if (m_store && !isBusy(this))
            clearSelection("Clear Cells");
    });
    m_gridMenu->addSeparator();
    connect(menuCommand(m_gridMenu, "ctxInsertRowAbove", QStringLiteral("Insert Row &Above")), &QAction::triggered, this,
            [this] { insertRowAtSelection(false); });
    connect(menuCommand(m_gridMenu, "ctxInsertRowBelow", QStringLiteral("Insert Row &Below")), &QAction::triggered, this,
            [this] { insertRowAtSelection(true); });
    connect(menuCommand(m_gridMenu, "ctxDeleteRows", QStringLiteral("&Delete Rows")), &QAction::triggered, this,
            &Form1::deleteSelectedRows);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_store && m_store->HasFieldList())
            m_gridMenu->popup(ListView1->viewport()->mapToGlobal(at));
    });

    m_columnMenu = new QMenu(this);
    connect(menuCommand(m_columnMenu, "ctxInsertColumnLeft", QStringLiteral("Insert Column &Left\u2026")), &QAction::triggered,
            this, [this] { insertColumnBeside(m_menuColumn, false); });
    connect(menuCommand(m_columnMenu, "ctxInsertColumnRight", QStringLiteral("Insert Column &Right\u2026")), &QAction::triggered,
            this, [this] { insertColumnBeside(m_menuColumn, true); });
    connect(menuCommand(m_columnMenu, "ctxRenameColumn", QStringLiteral("Re&name\u2026")), &QAction::triggered, this,
            [this] { renameColumn(m_menuColumn); });
    connect(menuCommand(m_columnMenu, "ctxDeleteColumns", QStringLiteral("&Delete Columns")), &QAction::triggered, this,
            [this] { deleteColumnsAt(m_menuColumn); });
    m_columnMenu->addSeparator();
    connect(menuCommand(m_columnMenu, "ctxSortAscending", QStringLiteral("Sort &A\u2192Z")), &QAction::triggered, this,
            [this] { sortColumn(m_menuColumn, false); });
    connect(menuCommand(m_columnMenu, "ctxSortDescending", QStringLiteral("Sort &Z\u2192A")), &QAction::triggered, this,
            [this] { sortColumn(m_menuColumn, true); });
    QHeaderView* header = ListView1->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this, [this, header](const QPoint& at) {
        const int column = header->logicalIndexAt(at);
        if (QMenu* menu = columnMenu(column))
            menu->popup(header->mapToGlobal(at));
    });

    // A click sorts by the column once it is plainly not the first half of
    // a double-click, which renames the column instead.
    m_headerClick = new QTimer(this);
    m_headerClick->setSingleShot(true);
    connect(m_headerClick, &QTimer::timeout, this, [this] { ListView1_HeaderClick(m_clickedColumn); });
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        m_clickedColumn = column;
        m_headerClick->start(QApplication::doubleClickInterval());
    });
    connect(header, &QHeaderView::sectionDoubleClicked, this, [this](int column) {
        m_headerClick->stop();
        renameColumn(column);
    });
}

QMenu* Form1::columnMenu(int column)
{
    if (!m_store || !m_store->HasFieldList() || column < 0 || column >= m_grid->columnCount())
        return nullptr;
    m_menuColumn = column;
    return m_columnMenu;
}

// The records the selected rows show, first to last; the current row's when
// nothing is selected.
std::vector<CSVDBS::RecordNo> Form1::selectedRecords() const
{
    std::set<int> rows;
    for (const QModelIndex& index : ListView1->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && ListView1->currentIndex().isValid())
        rows.insert(ListView1->currentIndex().row());
    std::vector<CSVDBS::RecordNo> records;
    for (const int row : rows)
        records.push_back(m_grid->recordAt(row));
    std::sort(records.begin(), records.end());
    return records;
}

void Form1::selectRecordRow(CSVDBS::RecordNo record, int column)
{
    for (int row = 0; row < m_grid->rowCount(); ++row)
        if (m_grid->recordAt(row) == record) {
            const QModelIndex cell = m_grid->index(row, std::clamp(column, 0, std::max(0, m_grid->columnCount() - 1)));
            ListView1->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            ListView1->scrollTo(cell);
            return;
        }
}

void Form1::insertRowAtSelection(bool below)
{
    Procedure p(QStringLiteral("Form1"), below ? QStringLiteral("InsertRowBelow_Click") : QStringLiteral("InsertRowAbove_Click"));
    if (!m_store || !m_store->HasFieldList() || isBusy(this))
        return;
    const std::vector<CSVDBS::RecordNo> records = selectedRecords();
    const CSVDBS::RecordNo last = std::max<CSVDBS::RecordNo>(m_store->RecordCount(), 0);
    // With no row chosen the new one goes at the end.
    const CSVDBS::RecordNo at = records.empty() ? last + 1 : below ? records.back() + 1 : records.front();
    const int column = std::max(0, ListView1->currentIndex().column());
    p.step([&] { m_store->InsertRecordAt(at); });
    p.step([&] { loadCSVToListview(); });
    selectRecordRow(at, column);
}

void Form1::deleteSelectedRows()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("DeleteRows_Click"));
    if (!m_store || isBusy(this))
        return;
    const std::vector<CSVDBS::RecordNo> records = selectedRecords();
    if (records.empty())
        return;
    const int column = std::max(0, ListView1->currentIndex().column());
    std::int64_t deleted = 0;
    p.step([&] { deleted = m_store->DeleteRecords(records); });
    p.step([&] { loadCSVToListview(); });
    // The row that took the place of the first one deleted, or the new last.
    const CSVDBS::RecordNo next = std::min<CSVDBS::RecordNo>(records.front(), std::max<CSVDBS::RecordNo>(m_store->RecordCount(), 0));
    selectRecordRow(next, column);
    m_status->say(QStringLiteral("Deleted ") + groupedCount(deleted) + (deleted == 1 ? QStringLiteral(" row") : QStringLiteral(" rows")));
}

// A name the store would take for one of its fields is refused: the name
// rule is the store's, spaces at both ends and case aside. `except` is the
// column being renamed, whose own name, in another case, is allowed.
bool Form1::columnNameFree(const QString& name, int except)
{
    const std::string key = matchKey(name.toStdString());
    const std::vector<std::string> names = m_store->GetFieldList();
    for (int field = 1; field <= static_cast<int>(names.size()); ++field) {
        if (field - 1 == except)
            continue;
        if (matchesKey(names[static_cast<std::size_t>(field - 1)], key)) {
            tellUser(QStringLiteral("There is a column named \"%1\" already.\r\nPlease choose another name.")
                         .arg(QString::fromStdString(names[static_cast<std::size_t>(field - 1)])));
            return false;
        }
    }
    return true;
}

void Form1::insertColumnBeside(int column, bool right)
{
    Procedure p(QStringLiteral("Form1"), right ? QStringLiteral("InsertColumnRight_Click") : QStringLiteral("InsertColumnLeft_Click"));
    if (!headingCommandReady(column))
        return;
    QString name;
    p.step([&] { name = prompter().inputBox(QStringLiteral("Enter Column Name: "), QStringLiteral("Input Column"), QString()); });
    if (name.trimmed().isEmpty() || !columnNameFree(name, -1))
        return;
    const int after = right ? column + 1 : column;
    p.step([&] { m_store->InsertFieldAt(after, name.trimmed().toStdString(), ""); });
    p.step([&] { loadCSVToListview(); });
    ListView1->selectColumn(after);
}

bool Form1::headingCommandReady(int column) const
{
    return m_store && m_store->HasFieldList() && !isBusy(this) && column >= 0 && column < m_store->FieldCount();
}

void Form1::renameColumn(int column)
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("RenameColumn_Click"));
    if (!headingCommandReady(column))
        return;
    const QString old = QString::fromStdString(m_store->GetFieldList()[static_cast<std::size_t>(column)]);
    QString name;
    p.step([&] { name = prompter().inputBox(QStringLiteral("Enter New Column Name: "), QStringLiteral("Rename Column"), old); });
    if (name.trimmed().isEmpty() || name.trimmed() == old || !columnNameFree(name, column))
        return;
    p.step([&] { m_store->RenameFieldAt(column + 1, name.toStdString()); });
    p.step([&] { loadCSVToListview(); });
    ListView1->selectColumn(column);
}

void Form1::deleteColumnsAt(int column)
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("DeleteColumns_Click"));
    if (!headingCommandReady(column))
        return;
    // The selected columns when the clicked one is among them, else that one.
    std::vector<int> fields;
    for (const QModelIndex& index : ListView1->selectionModel()->selectedColumns())
        fields.push_back(index.column() + 1);
    if (std::find(fields.begin(), fields.end(), column + 1) == fields.end())
        fields = {column + 1};
    if (static_cast<int>(fields.size()) >= m_store->FieldCount()) {
        tellUser(QStringLiteral("The last column of the file cannot be deleted."));
        return;
    }
    p.step([&] { m_store->DeleteFieldsAt(fields); });
    p.step([&] { loadCSVToListview(); });
    const int first = *std::min_element(fields.begin(), fields.end()) - 1;
    ListView1->selectColumn(std::min(first, m_grid->columnCount() - 1));
}

void Form1::sortColumn(int column, bool descending)
{
    if (column < 0)
        return;
    // The click's sort, told which way to go.
    m_headerSorted = column;
    m_headerDescends = descending;
    ListView1_HeaderClick(column);
}
