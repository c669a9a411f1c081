// The main window's editing commands: rows, columns, whole-row duplicates,
// and opening the column tools.
#include "app/Form1.h"

#include <algorithm>
#include <optional>

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "app/GridModel.h"
#include "app/GridSelection.h"
#include "app/GridViewPlace.h"
#include "app/SaveSettings.h"
#include "app/StatusLine.h"
#include "combine/Form11.h"
#include "combine/Form12.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "store/StepScope.h"
#include "store/modCSV.h"
#include "tools/ClusterDialog.h"
#include "tools/Form10.h"
#include "tools/Form2.h"
#include "tools/Form3.h"
#include "tools/Form4.h"
#include "tools/Form5.h"
#include "tools/Form6.h"
#include "tools/Form7.h"
#include "tools/Form9.h"
#include "tools/SortDialog.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/LongWork.h"
#include "window/Procedure.h"

int Form1::selectedGridRow() const
{
    // The row of the current cell, when that cell is selected.
    const QModelIndex current = ListView1->selectionModel()->currentIndex();
    if (!current.isValid() || !ListView1->selectionModel()->isSelected(current))
        return -1;
    return current.row();
}

void Form1::deleteSelection()
{
    const QItemSelection selection = ListView1->selectionModel()->selection();
    if (!GridSelection::isWholeRows(selection, m_grid->columnCount())) {
        clearSelection("Clear Cells");
        return;
    }
    Procedure p(QStringLiteral("Form1"), QStringLiteral("ListView1_KeyDown"));
    std::int64_t deleted = 0;
    p.step([&] { deleted = GridSelection::deleteRows(*m_store, *m_grid, selection); });
    p.step([&] { loadCSVToListview(); });
    m_status->say(QStringLiteral("Deleted ") + groupedCount(deleted) + (deleted == 1 ? QStringLiteral(" row") : QStringLiteral(" rows")));
}

void Form1::clearSelection(const char* stepName)
{
    const QItemSelection selection = ListView1->selectionModel()->selection();
    if (selection.isEmpty())
        return;
    Procedure p(QStringLiteral("Form1"), QStringLiteral("ListView1_KeyDown"));
    std::int64_t cleared = 0;
    p.step([&] { cleared = GridSelection::clearCells(*m_store, *m_grid, selection, stepName); });
    refreshState();
    m_status->say(QStringLiteral("Emptied ") + groupedCount(cleared) + (cleared == 1 ? QStringLiteral(" value") : QStringLiteral(" values")));
}

void Form1::clearAndEditCurrent()
{
    // As in a spreadsheet: the editor opens empty, Enter keeps the empty
    // value and Escape leaves the cell as it was.
    const QModelIndex current = ListView1->currentIndex();
    if (!current.isValid())
        return;
    ListView1->edit(current);
    for (QLineEdit* editor : ListView1->viewport()->findChildren<QLineEdit*>())
        editor->clear();
}

bool Form1::runLongWork(const std::function<void()>& work, Cancelling cancelling)
{
    return runWithStatus(*m_store, QStringLiteral("Working on %1 of %2"), work, cancelling);
}

bool Form1::runWithStatus(CSVDBS& store, const QString& text, const std::function<void()>& work,
                          Cancelling cancelling)
{
    // The status line watches every long work, this one included.
    const LongWork running(this, lblLoading, &store, [this] { layoutControls(); }, text, cancelling);
    try {
        work();
        return true;
    } catch (const WorkCancelled&) {
        return false;
    }
}

void Form1::PushButton5_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton5_Click"));
    // Every value is asked before the row is made, so that the step's data
    // holds them all: the new record and its values are one step that a
    // recipe or the crash journal makes again.
    const int columns = m_grid->columnCount();
    std::vector<std::string> values(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        QString answer;
        p.step([&] {
            answer = prompter().inputBox(QStringLiteral("Enter ") + m_grid->heading(i) + QStringLiteral(" Value: "),
                                         QStringLiteral("Input Value"), QString());
        });
        // Column i shows field i, whatever its heading says: a headerless file's
        // headings are not its field names.
        values[static_cast<std::size_t>(i)] = answer.toStdString();
    }
    p.step([&] { InsertRowOf(*m_store, values); });
    p.step([&] { loadCSVToListview(); });
}

void Form1::PushButton3_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton3_Click"));
    if (m_grid->rowCount() == 0)
        return;
    // The row knows which record it shows.
    const int row = selectedGridRow();
    if (row < 0)
        return;
    p.step([&] {
        const StepScope step(*m_store, "Delete Row", {"DeleteRecord", {{"record", std::to_string(m_grid->recordAt(row))}}});
        m_store->DeleteRecord(m_grid->recordAt(row));
    });
    p.step([&] { loadCSVToListview(); });
}

void Form1::PushButton4_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"));
    QString name;
    p.step([&] {
        name = prompter().inputBox(QStringLiteral("Enter Column Name: "), QStringLiteral("Input Column"), QString());
    });
    if (name.isEmpty())
        return;
    p.step([&] { m_store->AddField(name.toStdString(), ""); });
    p.step([&] { loadCSVToListview(); });
}

void Form1::PushButton1_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton1_Click"));
    QString name;
    p.step([&] {
        name = prompter().inputBox(QStringLiteral("Enter Field Name To Delete: "), QStringLiteral("Delete Column"),
                                   QString());
    });
    if (name.isEmpty())
        return;
    bool deleted = false;
    p.step([&] { deleted = m_store->DeleteField(name.toStdString()); });
    if (deleted)
        p.step([&] { loadCSVToListview(); });
    else
        p.step([&] { tellUser(QStringLiteral("Field name not found.\r\nCannot Delete")); });
}

void Form1::PushButton11_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton11_Click"));
    p.step([&] { runLongWork([&] { RemoveDuplicateRows(*m_store); }); });
    p.step([&] { loadCSVToListview(); });
}

// Shows a tool modally over the window, working on the rows `rows` chooses;
// however it closes, the grid is refilled from the store it may have changed.
template <typename Tool, typename... Extra>
void Form1::showTool(const QString& handler, RowScope rows, const Extra&... extra)
{
    Procedure p(QStringLiteral("Form1"), handler);
    p.step([&] {
        const RowScopeGuard scoped(*m_store, std::move(rows));
        Tool dialog(this, *m_store, extra...);
        dialog.exec();
    });
    p.step([&] { loadCSVToListview(); });
}

// A tool that reshapes the table (rows, columns, order) works on all of it.
template <typename Tool, typename... Extra>
void Form1::openTool(const QString& handler, const Extra&... extra)
{
    showTool<Tool>(handler, RowScope(), extra...);
}

// A tool that rewrites values works on the rows shown.
template <typename Tool, typename... Extra>
void Form1::openToolOnShownRows(const QString& handler, const Extra&... extra)
{
    showTool<Tool>(handler, shownRows(), extra...);
}

void Form1::PushButton13_Click() { openTool<Form2>(QStringLiteral("PushButton13_Click")); }
void Form1::PushButton14_Click() { openTool<Form3>(QStringLiteral("PushButton14_Click")); }
void Form1::PushButton16_Click() { openTool<Form6>(QStringLiteral("PushButton16_Click")); }
void Form1::PushButton15_Click() { openToolOnShownRows<Form5>(QStringLiteral("PushButton15_Click")); }
void Form1::PushButton18_Click() { openToolOnShownRows<Form4>(QStringLiteral("PushButton18_Click")); }
void Form1::PushButton17_Click() { openTool<Form7>(QStringLiteral("PushButton17_Click")); }
void Form1::PushButton23_Click()
{
    GridViewPlace place(*ListView1, *m_grid);
    openToolOnShownRows<Form10>(QStringLiteral("PushButton23_Click"), static_cast<GridPlace*>(&place));
}
void Form1::ClusterValues_Click()
{
    openToolOnShownRows<ClusterDialog>(QStringLiteral("ClusterValues_Click"), std::max(1, ListView1->currentIndex().column() + 1));
}

// Sorts the whole table, as Sort By Column does, whatever rows are shown; the
// status line then names the columns sorted by.
void Form1::Sort_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("Sort_Click"));
    p.step([&] {
        const RowScopeGuard everyRow(*m_store, RowScope());
        SortDialog dialog(this, *m_store, std::max(1, ListView1->currentIndex().column() + 1));
        if (dialog.exec() == QDialog::Accepted)
            m_sortedBy = dialog.sortedBy();
    });
    p.step([&] { loadCSVToListview(); });
}

// The second file is read with the separator and the reading rule every
// other load uses.
void Form1::PushButton24_Click()
{
    m_store->StandardQuoting(SaveSettings::standardQuoting());
    openTool<Form11>(QStringLiteral("PushButton24_Click"), m_currentSeparator);
}

void Form1::PushButton25_Click()
{
    m_store->StandardQuoting(SaveSettings::standardQuoting());
    openTool<Form12>(QStringLiteral("PushButton25_Click"), m_currentSeparator);
}

void Form1::PushButton22_Click()
{
    if (m_grid->rowCount() == 0) {
        Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton22_Click"));
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    openTool<Form9>(QStringLiteral("PushButton22_Click"));
}
