// The main window's other ways in to "Load CSV File": a file named on the
// command line, a file dropped on the window, and the recent files.
#include "app/Form1.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/RecentFiles.h"
#include "platform/AppFolder.h"
#include "platform/Prompter.h"
#include "window/AppFiles.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/Procedure.h"

namespace {

// The first local file among the dropped items; a drop opens one file, as
// the window shows one file at a time.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace

void Form1::openFile(const QString& path)
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("openFile"));
    openChosenFile(p, QFileInfo(path).absoluteFilePath());
}

void Form1::openDroppedFile(const QString& path)
{
    if (CommandScope::running(this) || !mayDiscardChanges())
        return;
    openFile(path);
}

void Form1::openRecentFile(const QString& path)
{
    if (CommandScope::running(this))
        return;
    if (!QFileInfo(path).isFile()) {
        RecentFiles().remove(path);
        tellUser(QStringLiteral("The file \"%1\" is no longer there. It has been taken off the recent files.")
                     .arg(path));
        return;
    }
    if (!mayDiscardChanges())
        return;
    openFile(path);
}

QMenu* Form1::createRecentFilesMenu()
{
    return RecentFiles::createMenu(this, [this](const QString& path) { openRecentFile(path); });
}

void Form1::noteRecentFile(const QString& path)
{
    if (!isApplicationFile(QFile::encodeName(path).toStdString()))
        RecentFiles().add(path);
}

void Form1::acceptFileDrops()
{
    setAcceptDrops(true);
    // The file box would take a dropped file's address as typed text.
    Text1->setAcceptDrops(false);
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!CommandScope::running(this) && !droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // Questions and loading wait until the drag has finished, so that the
    // program the file came from is not held up meanwhile.
    QMetaObject::invokeMethod(this, [this, file] { openDroppedFile(file); }, Qt::QueuedConnection);
}
