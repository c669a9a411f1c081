#include "window/AppFiles.h"

#include <QDateTime>
#include <QFileInfo>

#include "platform/AppFolder.h"

bool PathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(path).lastModified().isValid();
}

QString appFile(const QString& relative)
{
    return QString::fromStdString(applicationFolder()) + QLatin1Char('/') + relative;
}

QIcon applicationIcon()
{
    static const QIcon icon(appFile(QStringLiteral("tabvane.png")));
    return icon;
}
