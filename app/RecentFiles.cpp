#include "app/RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "app/SaveSettings.h"

namespace {

QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

// "~/data/people.csv": the folder tells two files of one name apart, and the
// home folder is said short. An ampersand would mark a shortcut key.
QString entryText(int number, const QString& path)
{
    QString shown = QDir::toNativeSeparators(path);
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QStringLiteral("/") && shown.startsWith(home + QLatin1Char('/')))
        shown = QLatin1Char('~') + shown.mid(home.size());
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    // Numbers 1 to 9 give the first nine entries a key; the tenth takes the 0 of its 10.
    return number < 10 ? QStringLiteral("&%1  %2").arg(number).arg(shown)
                       : QStringLiteral("%1&%2  %3").arg(number / 10).arg(number % 10).arg(shown);
}

} // namespace

QStringList RecentFiles::files() const
{
    QStringList files = SaveSettings::recentFiles();
    files.removeAll(QString());
    return files.mid(0, Limit);
}

void RecentFiles::add(const QString& path)
{
    const QString file = absolute(path);
    QStringList files = this->files();
    files.removeAll(file);
    files.prepend(file);
    store(files);
}

void RecentFiles::remove(const QString& path)
{
    QStringList files = this->files();
    files.removeAll(absolute(path));
    store(files);
}

void RecentFiles::clear() { store({}); }

void RecentFiles::store(QStringList files)
{
    while (files.size() > Limit)
        files.removeLast();
    SaveSettings::setRecentFiles(files);
}

void RecentFiles::fillMenu(QMenu* menu, const std::function<void(const QString&)>& open)
{
    menu->clear();
    const QStringList files = this->files();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files[i];
        QAction* entry = menu->addAction(entryText(i + 1, file));
        entry->setToolTip(file);
        QObject::connect(entry, &QAction::triggered, menu, [open, file] { open(file); });
    }
    menu->addSeparator();
    QAction* clear = menu->addAction(QStringLiteral("&Clear"));
    clear->setEnabled(!files.isEmpty());
    QObject::connect(clear, &QAction::triggered, menu, [] { RecentFiles().clear(); });
}

QMenu* RecentFiles::createMenu(QWidget* parent, const std::function<void(const QString&)>& open)
{
    auto* menu = new QMenu(QStringLiteral("Open &Recent"), parent);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, open] { RecentFiles().fillMenu(menu, open); });
    RecentFiles().fillMenu(menu, open);
    return menu;
}
