#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <QApplication>

#include "app/CommandLine.h"
#include "app/CrashRecovery.h"
#include "app/Form1.h"
#include "app/Operations.h"
#include "app/RowCountCheck.h"
#include "platform/DesktopPrompter.h"
#include "platform/FreedesktopHandOff.h"
#include "window/AppFiles.h"
#include "window/GuardedApplication.h"

int main(int argc, char** argv)
{
    // Under a file-size limit a save should fail and keep the old file, not
    // kill the program with the user's other work in it.
    std::signal(SIGXFSZ, SIG_IGN);
    addAllOperations();
    // Before the application object, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StartRequest request = readCommandLine(arguments);
    if (request.answered) {
        // The command's store, history and reports are done with: the
        // system takes back their memory at once, rather than block by block.
        std::fflush(nullptr);
        std::_Exit(request.status);
    }
    GuardedApplication app(argc, argv);
    setDesktopIdentity();
    // Every window, message boxes included, carries the program's icon.
    QApplication::setWindowIcon(applicationIcon());
    const QString& file = request.file;
    DesktopPrompter dialogs;
    RowCountCheck check;
    installPrompter(RowCountCheck::requested() ? static_cast<Prompter*>(&check) : &dialogs);
    FreedesktopHandOff desktop;
    installDesktopHandOff(&desktop);
    Form1 window;
    window.show();
    // The row count check only ever reads: it recovers nothing.
    if (RowCountCheck::requested())
        openWhenStarted(window, file);
    else
        recoverThenOpen(window, file);
    const int status = app.exec();
    installDesktopHandOff(nullptr);
    installPrompter(nullptr);
    return status;
}
