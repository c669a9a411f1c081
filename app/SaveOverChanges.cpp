#include "app/SaveOverChanges.h"

#include <QFile>

#include "platform/Prompter.h"
#include "store/CSVDBS.h"

namespace {

bool askSaveOver(const CSVDBS& store, DiskChange change)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(store.FileName()));
    if (change == DiskChange::Deleted)
        return prompter().askYesNo(
            QStringLiteral("The file has been deleted since it was opened or last saved:\r\n%1\r\n\r\n"
                           "Do you want to save it again?")
                .arg(path),
            QStringLiteral("File Deleted"), Prompter::Icon::Question);
    return prompter().askYesNo(
        QStringLiteral("The file has been changed by another program since it was opened or last saved:\r\n%1"
                       "\r\n\r\nDo you want to overwrite it and lose those changes?")
            .arg(path),
        QStringLiteral("File Changed"), Prompter::Icon::Question);
}

} // namespace

bool maySaveOverChangesOnDisk(CSVDBS& store)
{
    const DiskChange change = store.ChangeOnDisk();
    if (change == DiskChange::None)
        return true;
    if (!askSaveOver(store, change))
        return false;
    store.SaveOverWhatIsOnDisk();
    return true;
}

QString savedText(const CSVDBS& store)
{
    if (store.SaveNotice().empty())
        return QStringLiteral("Done.");
    return QStringLiteral("Done.\n") + QString::fromStdString(store.SaveNotice());
}

QString saveFailureText(const CSVDBS& store)
{
    // The reason goes on a second line, as a failed load gives it.
    QString text = QStringLiteral("Error saving CSV file.");
    if (!store.LastFileError().empty())
        text += QStringLiteral("\n") + QString::fromStdString(store.LastFileError());
    return text;
}
