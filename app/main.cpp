#include <csignal>

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    // Under a file-size limit a save should fail and keep the old file, not
    // kill the program with the user's other work in it.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // Stands in for the main window until it is built.
    QLabel window(QStringLiteral("Tabvane Software"));
    window.setAlignment(Qt::AlignCenter);
    window.setWindowTitle(QStringLiteral("Tabvane Software"));
    window.resize(648, 618);
    window.show();
    return app.exec();
}
