#include "window/ManualWindow.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "window/AppFiles.h"

ManualWindow::ManualWindow(QWidget* parent, const QString& page) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Tabvane Software Manual"));
    setObjectName(QStringLiteral("ManualWindow"));
    // Links to the web go to the desktop's browser; the manual itself is local.
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(QUrl::fromLocalFile(page));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addWidget(buttons);
    QSize size(820, 760);
    if (const QScreen* screen = parent ? parent->screen() : nullptr)
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

QString ManualWindow::page()
{
    for (const QString& relative : {QStringLiteral("doc/manual.html"), QStringLiteral("../doc/tabvane/manual.html")}) {
        const QString path = appFile(relative);
        if (QFileInfo(path).isFile())
            return QFileInfo(path).canonicalFilePath();
    }
    return {};
}
