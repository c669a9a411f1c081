// The main window's file commands: opening a file into the grid, the header
// choice, refilling the grid, saving and the save options.
#include "app/Form1.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "app/AppTitle.h"
#include "app/CommandScope.h"
#include "app/ErrorReport.h"
#include "app/Form13.h"
#include "app/GridModel.h"
#include "app/LoadQuestions.h"
#include "app/LongWork.h"
#include "app/SaveSettings.h"
#include "app/WindowCommon.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"

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

void Form1::showLoadProgress(std::int64_t done, std::int64_t total)
{
    lblLoading->setText(QStringLiteral("Loading line %1 of %2").arg(done).arg(total));
    layoutControls();
    CommandScope::pumpEvents();
}

bool Form1::loadWithProgress(CSVDBS& store)
{
    const LongWork running(this, store, lblLoading,
                           [this](std::int64_t done, std::int64_t total) { showLoadProgress(done, total); });
    return store.LoadFile();
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
    store.Seperator(m_currentSeparator.toStdString());
    store.FileName(localPath(fileName));
    store.HeaderLine(Check12->isChecked());
    store.StandardQuoting(SaveSettings::standardQuoting());
    store.Encoding(FileEncoding::Utf8); // a new file shows its own encoding

    LoadQuestions questions(store, [this](CSVDBS& s) { return loadWithProgress(s); }, m_currentSeparator);
    const bool loaded = questions.askAfter(loadWithProgress());
    if (!loaded) {
        store.FileName(oldName);
        store.Seperator(oldSeparator);
        store.HeaderLine(oldHeader);
        store.StandardQuoting(oldStandard);
        store.Encoding(oldEncoding);
    }
    return loaded;
}

void Form1::PushButton2_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton2_Click"));
    QString chosen;
    p.step([&] {
        chosen = prompter().openFileName(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                                         QStringLiteral("CSV Files (*.csv)|*.csv"), QString());
    });
    if (chosen.isEmpty() || !mayDiscardChanges())
        return;
    const QString previous = Text1->text();
    BusyPointer busy(this);
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
    p.step([&] { m_grid->rebuild(m_store.get(), Check12->isChecked()); });
    p.step([&] { fitColumns(); });
    p.step([&] { lblLoading->clear(); });
}

void Form1::fitColumns()
{
    // Wide enough for the heading and the first rows, but never so wide that
    // one long value pushes every other column out of sight.
    const int widest = px(4500);
    for (int c = 0; c < m_grid->columnCount(); ++c) {
        ListView1->resizeColumnToContents(c);
        if (ListView1->columnWidth(c) > widest)
            ListView1->setColumnWidth(c, widest);
    }
}

void Form1::PushButton6_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
    if (!m_store || !m_store->HasFieldList()) {
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
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
    bool written = false;
    {
        const LongWork running(this, *m_store, lblLoading,
                               [](std::int64_t, std::int64_t) { CommandScope::pumpEvents(); });
        p.step([&] { m_store->Seperator(m_currentSeparator.toStdString()); });
        p.step([&] { m_store->StandardQuoting(SaveSettings::standardQuoting()); });
        bool quotes = false;
        p.step([&] { quotes = SaveSettings::saveQuotes(); });
        p.step([&] { written = m_store->WriteFile(quotes); });
    }
    const QString reason = QString::fromStdString(m_store->LastFileError());
    p.step([&] {
        tellUser(written           ? QStringLiteral("Done.")
                 : reason.isEmpty() ? QStringLiteral("Error saving CSV file.")
                                    : QStringLiteral("Error saving CSV file.\n") + reason);
    });
}

void Form1::PushButton28_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton28_Click"));
    p.step([&] {
        Form13 dialog(this, m_currentSeparator);
        dialog.exec();
    });
}
