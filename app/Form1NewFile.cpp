// Saving the open file under a new name: Save As, and "Save Changes" on the
// sample, whose file belongs to the program.
#include "app/Form1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "app/SaveOverChanges.h"
#include "platform/AppFolder.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "window/AppFiles.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/NewFileName.h"
#include "window/Procedure.h"

bool Form1::saveToNewFile(Procedure& p)
{
    const QString current = QFile::decodeName(QByteArray::fromStdString(m_store->FileName()));
    // A user's file is offered where it is; the program's own in the home
    // folder, since the program's folder is no place for the user's files.
    const QString proposed = isApplicationFile(m_store->FileName())
                                 ? QDir::home().filePath(QFileInfo(current).fileName())
                                 : current;
    QString name;
    p.step([&] {
        const QString filter = QStringLiteral("CSV Files (*.csv)|*.csv");
        name = withFilterSuffix(prompter().saveFileName(QStringLiteral("Save As"), filter, proposed), filter);
    });
    if (name.isEmpty())
        return false;
    if (isApplicationFile(QFile::encodeName(name).toStdString())) {
        p.step([&] {
            tellUser(QStringLiteral("This file belongs to the program and is not written over. "
                                    "Please choose another name."));
        });
        return false;
    }
    bool replace = false;
    p.step([&] { replace = mayReplace(name); });
    if (!replace)
        return false;

    const std::string oldName = m_store->FileName();
    m_store->FileName(QFile::encodeName(name).toStdString());
    const bool written = writeWithProgress(p);
    if (written) {
        m_newFileOnly = false;
        p.step([&] { Text1->setText(name); });
    } else {
        // The store stays with the file it came from, so a later save is asked for anew.
        m_store->FileName(oldName);
    }
    p.step([&] { tellUser(written ? savedText(*m_store) : saveFailureText(*m_store)); });
    return written;
}
