#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Tabvane Software"));
    window.setWindowTitle(QStringLiteral("Tabvane Software"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
