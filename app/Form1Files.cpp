// The main window's file commands: opening a file into the grid, the header
// choice, refilling the grid, saving and the save options.
#include "app/Form1.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "app/Form13.h"
#include "app/GridModel.h"
#include "app/LoadQuestions.h"
#include "app/SaveOverChanges.h"
#include "app/SaveSettings.h"
#include "app/StatusLine.h"
#include "platform/AppFolder.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "window/AppFiles.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/LongWork.h"
#include "window/Procedure.h"

namespace {

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

bool Form1::mayDiscardChanges()
{
    if (!m_store || !m_store->ChangesMade())
        return true;
    return prompter().askYesNo(
        QStringLiteral("Changes has not been saved.\r\n Do you wish to continue and discard them?"),
        QStringLiteral("Changes Not Saved"), Prompter::Icon::Question);
}

bool Form1::loadWithProgress(CSVDBS& store)
{
    bool loaded = false;
    runWithStatus(store, QStringLiteral("Loading line %1 of %2"), [&] { loaded = store.LoadFile(); },
                  Cancelling::NotOffered);
    if (loaded && &store == m_store.get()) {
        // The grid shows the new contents before anything else can paint it,
        // such as a question about how the file reads best.
        m_grid->rebuild(m_store.get(), Check12->isChecked());
        startNewFile();
    }
    return loaded;
}

bool Form1::loadWithProgress() { return loadWithProgress(*m_store); }

void Form1::tellLoadFailed()
{
    const QString reason = QString::fromStdString(m_store->LastFileError());
    tellUser(reason.isEmpty() ? QStringLiteral("Error loading CSV file.")
                              : QStringLiteral("Error loading CSV file.\n") + reason);
}

void Form1::tellLeftOutValues()
{
    const QString text = LoadQuestions::leftOutMessage(*m_store);
    if (!text.isEmpty())
        tellUser(text);
}

void Form1::startNewFile()
{
    // A new file: its own widths, no sorted heading, nothing to report yet.
    m_widths.clear();
    // Fitted now, before the widths the grid had are kept as the user's.
    fitColumns();
    m_headerSorted = -1;
    ListView1->horizontalHeader()->setSortIndicatorShown(false);
    m_seenPosition = m_store->StepHistory().position();
    m_seenRows = std::max(m_store->RecordCount(), 0);
    m_seenColumns = m_store->FieldCount();
    QString said = QStringLiteral("Opened ") + QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_store->FileName()))).fileName();
    if (const QString filled = LoadQuestions::filledMessage(*m_store); !filled.isEmpty())
        said += QStringLiteral(" \u00B7 ") + filled;
    m_status->say(said);
}

// Loads `fileName` with the current separator and header choice. A failed
// load leaves the store as it was, its file name included, so that a later
// save cannot write the old contents over the file that failed to load.
bool Form1::loadInto(const QString& fileName)
{
    CSVDBS& store = *m_store;
    const std::string oldName = store.FileName();
    const std::string oldSeparator = store.Seperator();
    const bool oldHeader = store.HeaderLine();
    const bool oldStandard = store.StandardQuoting();
    const FileEncoding oldEncoding = store.Encoding();
    const bool oldLineEnds = store.LoneLineFeedsEndLines();
    const bool oldFill = store.FillShortLines();
    store.Seperator(m_currentSeparator.toStdString());
    store.FileName(localPath(fileName));
    store.HeaderLine(Check12->isChecked());
    store.StandardQuoting(SaveSettings::standardQuoting());
    store.Encoding(FileEncoding::Utf8); // a new file shows its own encoding
    store.LoneLineFeedsEndLines(false);  // and its own lines, until asked
    store.FillShortLines(false);          // and fails on short lines, until asked

    LoadQuestions questions(store, [this](CSVDBS& s) { return loadWithProgress(s); }, m_currentSeparator);
    const bool loaded = questions.askAfter(loadWithProgress());
    if (!loaded) {
        store.FileName(oldName);
        store.Seperator(oldSeparator);
        store.HeaderLine(oldHeader);
        store.StandardQuoting(oldStandard);
        store.Encoding(oldEncoding);
        store.LoneLineFeedsEndLines(oldLineEnds);
        store.FillShortLines(oldFill);
    } else {
        m_newFileOnly = false;
        noteRecentFile(fileName);
    }
    return loaded;
}

void Form1::PushButton2_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton2_Click"));
    QString chosen;
    p.step([&] {
        chosen = prompter().openFileName(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                                         CsvOpenFilter, QString());
    });
    if (chosen.isEmpty() || !mayDiscardChanges())
        return;
    openChosenFile(p, chosen);
}

void Form1::openChosenFile(Procedure& p, const QString& chosen)
{
    const QString previous = Text1->text();
    const CommandScope running(this);
    p.step([&] { Text1->setText(chosen); });
    bool loaded = false;
    p.step([&] { loaded = loadInto(Text1->text()); });
    if (loaded) {
        p.step([&] { loadCSVToListview(); });
        p.step([&] { enableCommands(); });
        p.step([&] { tellLeftOutValues(); });
    } else {
        p.step([&] { Text1->setText(previous); });
        p.step([&] { tellLoadFailed(); });
    }
}

void Form1::PushButton7_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton7_Click"));
    if (!mayDiscardChanges())
        return;
    const QString previous = Text1->text();
    p.step([&] { Text1->setText(appFile(QStringLiteral("Samples/sample1.csv"))); });
    bool loaded = false;
    p.step([&] { loaded = loadInto(Text1->text()); });
    if (!loaded) {
        p.step([&] { Text1->setText(previous); });
        p.step([&] { tellLoadFailed(); });
    }
    p.step([&] { loadCSVToListview(); });
    p.step([&] { enableCommands(); });
    p.step([&] { setCursor(Qt::ArrowCursor); });
    if (loaded)
        p.step([&] { tellLeftOutValues(); });
}

void Form1::Check12_Click()
{
    // No error report of its own, but a failure must never end the program.
    try {
        const QString path = Text1->text().trimmed();
        if (path.isEmpty() || !QFileInfo(Text1->text()).isFile())
            return;
        if (!mayDiscardChanges()) {
            Check12->setChecked(!Check12->isChecked());
            return;
        }
        CSVDBS& store = *m_store;
        const bool oldHeader = store.HeaderLine();
        store.HeaderLine(Check12->isChecked());
        if (loadWithProgress()) {
            loadCSVToListview();
            tellLeftOutValues();
        } else {
            store.HeaderLine(oldHeader);
            tellLoadFailed();
        }
    } catch (...) {
    }
}

void Form1::loadCSVToListview()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("loadCSVToListview"));
    p.step([&] { rememberColumnWidths(); });
    p.step([&] { m_grid->rebuild(m_store.get(), Check12->isChecked()); });
    p.step([&] { fitColumns(); });
    p.step([&] { lblLoading->clear(); });
    p.step([&] { refreshState(); });
}

void Form1::rememberColumnWidths()
{
    for (int c = 0; c < m_grid->columnCount(); ++c)
        m_widths.insert(m_grid->heading(c), ListView1->columnWidth(c));
}

void Form1::fitColumns()
{
    // A column keeps the width it had (the user's own, or fitted before);
    // a new one is fitted to its heading and its first thousand values:
    // enough to see what a column holds, without reading a million rows.
    // Never wider than a third of the grid, so that one long value does not
    // push every other column out of sight.
    // Before the window is first laid out the grid is no wider than designed.
    const int widest = std::max(px(9480), ListView1->viewport()->width()) / 3;
    const QFontMetrics text = ListView1->fontMetrics();
    const QFontMetrics heading = ListView1->horizontalHeader()->fontMetrics();
    const int rows = std::min(m_grid->rowCount(), 1000);
    for (int c = 0; c < m_grid->columnCount(); ++c) {
        if (const auto kept = m_widths.constFind(m_grid->heading(c)); kept != m_widths.constEnd()) {
            ListView1->setColumnWidth(c, kept.value());
            continue;
        }
        int width = heading.horizontalAdvance(m_grid->heading(c)) + 24;
        for (int r = 0; r < rows && width < widest; ++r)
            width = std::max(width, text.horizontalAdvance(m_grid->data(m_grid->index(r, c), Qt::DisplayRole).toString()) + 12);
        ListView1->setColumnWidth(c, std::min(width, widest));
    }
}

void Form1::PushButton6_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
    if (!m_store || !m_store->HasFieldList()) {
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    // The sample and the program's other files are never written over, nor
    // a file that changed under a recovery.
    if (isApplicationFile(m_store->FileName()) || m_newFileOnly) {
        saveToNewFile(p);
        return;
    }
    // Values the load left out are gone once the file is written over.
    if (m_store->IgnoredLines() > 0) {
        bool saveAnyway = false;
        p.step([&] {
            saveAnyway = prompter().askYesNo(LoadQuestions::saveWithoutQuestion(*m_store),
                                             QStringLiteral("Save Without Them?"), Prompter::Icon::Question);
        });
        if (!saveAnyway)
            return;
    }
    // No leaves the file on disk and the store exactly as they are. Another
    // program, or another save, may change the file while this one writes:
    // the save then fails as changed, and the user is asked again.
    bool written = false;
    do {
        bool goOn = false;
        p.step([&] { goOn = maySaveOverChangesOnDisk(*m_store); });
        if (!goOn)
            return;
        written = writeWithProgress(p);
    } while (!written && m_store->SaveFoundChange());
    p.step([&] { tellUser(written ? savedText(*m_store) : saveFailureText(*m_store)); });
}

bool Form1::writeWithProgress(Procedure& p)
{
    bool written = false;
    // A save half written is no save; it runs to the end.
    runLongWork([&] {
        p.step([&] { m_store->Seperator(m_currentSeparator.toStdString()); });
        p.step([&] { m_store->StandardQuoting(SaveSettings::standardQuoting()); });
        bool quotes = false;
        p.step([&] { quotes = SaveSettings::saveQuotes(); });
        p.step([&] { written = m_store->WriteFile(quotes); });
    }, Cancelling::NotOffered);
    refreshState();
    if (written)
        noteRecentFile(QString::fromStdString(m_store->FileName()));
    return written;
}

void Form1::PushButton28_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton28_Click"));
    p.step([&] {
        Form13 dialog(this, m_currentSeparator);
        dialog.exec();
    });
    // The separator and quoting in force show in the status line.
    refreshState();
}
