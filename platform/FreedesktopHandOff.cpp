#include "platform/FreedesktopHandOff.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>
#include <QUrl>

namespace {

// Whether a "key=value;value;" file lists an application for `mimeType` in
// one of `groups`; a "Removed Associations" entry does not count.
bool listsApplication(const QString& path, const QString& mimeType, const QStringList& groups)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    QString group;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        if (!groups.contains(group))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == mimeType && !line.mid(eq + 1).trimmed().remove(';').isEmpty())
            return true;
    }
    return false;
}

// Office programs that open files of `mimeType`, for desktops with no MIME
// database: the spreadsheet and the word-processor types.
QStringList officePrograms(const QString& mimeType)
{
    if (mimeType.contains(QStringLiteral("spreadsheet")))
        return {"libreoffice", "soffice", "localc", "onlyoffice-desktopeditors", "gnumeric"};
    return {"libreoffice", "soffice", "lowriter", "onlyoffice-desktopeditors", "abiword"};
}

QString officeProgramFor(const QString& mimeType)
{
    for (const QString& program : officePrograms(mimeType)) {
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString mimeTypeOf(const QString& path)
{
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    return QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.document");
}

} // namespace

bool FreedesktopHandOff::hasApplicationFor(const QString& mimeType)
{
    const QStringList chosen = {QStringLiteral("Default Applications"), QStringLiteral("Added Associations")};
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        if (listsApplication(dir + QStringLiteral("/mimeapps.list"), mimeType, chosen))
            return true;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString apps = dir + QStringLiteral("/applications/");
        if (listsApplication(apps + QStringLiteral("mimeapps.list"), mimeType, chosen) ||
            listsApplication(apps + QStringLiteral("mimeinfo.cache"), mimeType, {QStringLiteral("MIME Cache")}))
            return true;
    }
    // A desktop without a MIME database may still have an office program.
    return !officeProgramFor(mimeType).isEmpty();
}

bool FreedesktopHandOff::openFile(const QString& path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    const QString program = officeProgramFor(mimeTypeOf(path));
    return !program.isEmpty() && QProcess::startDetached(program, {path});
}
