#include "window/NewFileName.h"

#include <QFileInfo>

#include "window/AppTitle.h"
#include "platform/Prompter.h"

QString askNewFileName(const QString& title, const QString& filter, const QString& proposed)
{
    // A name typed without a suffix gets the one the dialog offered.
    const QString name = withFilterSuffix(prompter().saveFileName(title, filter, proposed), filter);
    return !name.isEmpty() && mayReplace(name) ? name : QString();
}

bool mayReplace(const QString& name)
{
    if (!QFileInfo::exists(name))
        return true;
    return prompter().askYesNo(
        QStringLiteral("\"%1\" already exists.\r\nDo you want to replace it?").arg(QFileInfo(name).fileName()),
        appTitle(), Prompter::Icon::Exclamation);
}
