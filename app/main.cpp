#include <csignal>

#include <QApplication>

#include "app/Form1.h"
#include "platform/DesktopPrompter.h"

int main(int argc, char** argv)
{
    // Under a file-size limit a save should fail and keep the old file, not
    // kill the program with the user's other work in it.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    DesktopPrompter dialogs;
    installPrompter(&dialogs);
    Form1 window;
    window.show();
    const int status = app.exec();
    installPrompter(nullptr);
    return status;
}
