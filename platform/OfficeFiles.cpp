#include "platform/OfficeFiles.h"

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString& what, const QString& path)
{
    throw OfficeError((what + QStringLiteral(" ") + path + QStringLiteral(": ") +
                       QString::fromLocal8Bit(std::strerror(errno)))
                          .toStdString());
}

} // namespace

QString officeFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        throw OfficeError("There is no cache folder to put the file in.");
    const QString folder = base + QStringLiteral("/Tabvane Software/Office");
    QDir().mkpath(base + QStringLiteral("/Tabvane Software"));
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        fail(QStringLiteral("Cannot make the folder"), folder);
    // Not a link, ours, and closed to everyone else: others must not read
    // the user's data or swap the file before the office program opens it.
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        fail(QStringLiteral("Cannot read the folder"), folder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        throw OfficeError(("The folder " + folder + " is not a folder of your own.").toStdString());
    if ((st.st_mode & 0077) != 0 && ::chmod(name.constData(), 0700) != 0)
        fail(QStringLiteral("Cannot make private the folder"), folder);
    return folder;
}

QString newOfficeFile(const QString& stem, const QString& suffix)
{
    const QString folder = officeFolder();
    for (int n = 1;; ++n) {
        const QString path = QStringLiteral("%1/%2%3%4").arg(folder, stem).arg(n).arg(suffix);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            fail(QStringLiteral("Cannot make the file"), path);
    }
}
