#include "export/PdfExport.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include "export/SaveListview.h"
#include "platform/AppFolder.h"
#include "platform/Printers.h"
#include "window/AppFiles.h"
#include "window/AppTitle.h"
#include "window/Procedure.h"

const QString PdfWriterName = QStringLiteral("Varnhold PDF Writer");
const QString PrintProgramName = QStringLiteral("tabvane-print");

namespace {

// The print program ends once its job is done, which takes a second or two;
// one that hangs must not hold the default printer for longer than this.
constexpr std::chrono::seconds PrintWait(60);

// A new file, readable by this user only, under a name no other export
// uses, in TEMP or else the system's temporary folder. It is created here,
// so nobody can have planted a link under its name.
QString newTempFile()
{
    const QString temp = qEnvironmentVariable("TEMP");
    const QString folder = temp.isEmpty() ? QDir::tempPath() : temp;
    QTemporaryFile file(folder + QStringLiteral("/tabvane-XXXXXX.txt"));
    file.setAutoRemove(false);
    if (!file.open())
        throw std::runtime_error("Cannot create a temporary file in " + folder.toStdString() + ": " +
                                 file.errorString().toStdString());
    return file.fileName();
}

} // namespace

QString GetDefaultPrinter()
{
    const Printers::Default found = printers().userDefault();
    if (!found.read) {
        tellUser(QStringLiteral("Error No: %1\r\n%2\r\nHas occured in modPrinters.GetDefaultPrinter\r\n"
                                "Please contact Technical Support")
                     .arg(found.error)
                     .arg(QString::fromStdString(found.errorText)));
        return {};
    }
    return QString::fromStdString(found.name);
}

bool MakeDefaultPrinter(const QString& name)
{
    try {
        return printers().makeUserDefault(name.toStdString());
    } catch (...) {
        return false;
    }
}

QString GetWordpadPath()
{
    const QFileInfo program(QString::fromStdString(helperProgram(PrintProgramName.toStdString())));
    return program.isFile() && program.isExecutable() ? program.absoluteFilePath() : QString();
}

void DeleteTempFile(const QString& path)
{
    // Painting may go on; a click now would start a second export while
    // this one still holds the default printer.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    try {
        std::error_code ec;
        if (!std::filesystem::remove(path.toStdString(), ec) && ec)
            ForceDeleteFile(path);
    } catch (...) {
    }
}

void ForceDeleteFile(const QString& path)
{
    // The folder decides whether a file may go; make it writable first all the same.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    if (!QFile::remove(path))
        throw std::runtime_error("Cannot delete " + path.toStdString());
}

void CheckPdfWriterInstalled()
{
    for (const std::string& name : printers().installed())
        if (QString::fromStdString(name) == PdfWriterName)
            return;
    tellUser(PdfWriterName + QStringLiteral(" is not installed. Please follow these instructions:\r\n\r\n") +
             QStringLiteral("1) Go to Control Panel -> Printers and Faxes to add a local printer.\r\n") +
             QStringLiteral("2) Choose ''CPW2: (") + PdfWriterName +
             QStringLiteral(")'' on Select a Printer Port dialog box, click Next.\r\n") +
             QStringLiteral("3) Choose a Postscript printer (e.g. HP Color LaserJet PS), click Next.\r\n") +
             QStringLiteral("4) Enter ") + PdfWriterName +
             QStringLiteral(" as Printer name, click Next -> Finish.") +
             QStringLiteral("\r\n\r\nOn Linux: sudo tabvane-add-pdf-printer adds it (with the packages cups and "
                            "printer-driver-cups-pdf installed)."));
}

void printGridToPdf(Procedure& procedure, const GridText& grid)
{
    QString path;
    const bool written = procedure.step([&] {
        path = newTempFile();
        SaveListviewToTXT(grid, path.toStdString());
    });
    if (!written || !PathExists(path)) {
        // A file that was not written whole is not printed.
        if (!path.isEmpty())
            DeleteTempFile(path);
        return;
    }
    const QString previous = GetDefaultPrinter();
    if (MakeDefaultPrinter(PdfWriterName)) {
        procedure.step([&] {
            const QString commandLine = GetWordpadPath() + QStringLiteral(" /p \"") + path + QStringLiteral("\"");
            // The program has spooled its job when it ends: only then may the
            // file go and the old default come back.
            printers().runToEnd(commandLine, PrintWait);
        });
    }
    // Each export has a file of its own, so one left behind would stay for good.
    DeleteTempFile(path);
    procedure.step([&] {
        if (previous.isEmpty())
            printers().clearUserDefault();
        else
            MakeDefaultPrinter(previous);
    });
}
