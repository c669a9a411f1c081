// The main window's part of a crash recovery: the file opened as it was read
// before, and the journal's steps run on it before the grid shows it.
#include "app/Form1.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

#include "store/CSVDBS.h"
#include "store/journal/JournalFormat.h"
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
    p.step([&] { Text1->setText(path); });
    p.step([&] { runLongWork([&] { then(store); }); });
    p.step([&] { loadCSVToListview(); });
    p.step([&] { enableCommands(); });
    noteRecentFile(path);
    return true;
}
