// The main window's part of a crash recovery: the file opened as it was read
// before, and the journal's steps run on it before the grid shows it.
#include "app/Form1.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

#include "store/CSVDBS.h"
#include "store/journal/JournalFormat.h"
#include "store/journal/StoreJournal.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/Procedure.h"

bool Form1::openAsRead(const QString& path, const journal::ReadChoices& choices, const std::function<void(CSVDBS&)>& then)
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("openAsRead"));
    const CommandScope running(this);
    CSVDBS& store = *m_store;
    store.FileName(QFile::encodeName(path).toStdString());
    choices.applyTo(store);
    // The window saves with its own separator and header choice: those the file was read with.
    m_currentSeparator = QString::fromStdString(choices.separator);
    Check12->setChecked(choices.headerLine);
    bool loaded = false;
    p.step([&] { loaded = loadWithProgress(); });
    if (!loaded) {
        p.step([&] { tellLoadFailed(); });
        return false;
    }
    m_newFileOnly = false;
    p.step([&] { Text1->setText(path); });
    p.step([&] { runLongWork([&] { then(store); }, Cancelling::NotOffered); });
    p.step([&] { loadCSVToListview(); });
    p.step([&] { enableCommands(); });
    noteRecentFile(path);
    return true;
}

void Form1::saveRecoveredToNewFile()
{
    m_newFileOnly = true;
    SaveAs_Click();
}

void Form1::tellJournalProblem()
{
    const std::string problem = m_journal ? m_journal->problem() : std::string();
    if (problem.empty() || problem == m_journalProblemTold)
        return;
    m_journalProblemTold = problem;
    tellUser(QStringLiteral("Tabvane cannot keep its record of the unsaved changes, so a crash now would lose them: "
                            "%1\n\nSave your work to keep it.")
                 .arg(QString::fromStdString(problem)));
}
