// The program's print program: `tabvane-print /p "file"` prints a plain text
// file (UTF-8) on the user's default printer and ends when the printer has
// finished the job, so whoever started it knows the file may go.
#include <cstdio>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "platform/PrintJob.h"
#include "print/TextPrintout.h"

namespace {

int fail(const QString& why)
{
    std::fprintf(stderr, "tabvane-print: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // It shows no window, and may run where there is no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 || args[1] != QStringLiteral("/p")) {
        std::fprintf(stderr, "usage: tabvane-print /p FILE\n");
        return 2;
    }
    QFile file(args[2]);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(args[2], file.errorString()));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();

    // The printing system copies the PDF when it takes the job; the folder
    // goes when the program ends.
    QTemporaryDir work;
    if (!work.isValid())
        return fail(QStringLiteral("cannot make a working folder: %1").arg(work.errorString()));
    const QString title = QFileInfo(args[2]).fileName();
    const QString pdf = work.filePath(QStringLiteral("printout.pdf"));
    if (const QString error = printTextToPdf(text, pdf, title); !error.isEmpty())
        return fail(error);
    const std::string error = printOnDefault(pdf.toStdString(), title.toStdString(), std::chrono::seconds(50));
    if (!error.empty())
        return fail(QString::fromStdString(error));
    return 0;
}
