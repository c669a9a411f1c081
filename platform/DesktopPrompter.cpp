#include "platform/DesktopPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QWidget* owner() { return QApplication::activeWindow(); }

// Message texts use CR and CR LF as line breaks; Qt wants LF.
QString lines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void DesktopPrompter::message(const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(toQt(icon), title, lines(text), QMessageBox::Ok, owner());
    box.exec();
}

bool DesktopPrompter::askYesNo(const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(toQt(icon), title, lines(text), QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString DesktopPrompter::inputBox(const QString& prompt, const QString& title, const QString& proposed)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(owner(), title, lines(prompt), QLineEdit::Normal, proposed, &ok);
    return ok ? answer : QString();
}

QString DesktopPrompter::openFileName(const QString& title, const QString& filter, const QString& initialFolder)
{
    return QFileDialog::getOpenFileName(owner(), title, initialFolder, qtNameFilters(filter));
}

QString DesktopPrompter::saveFileName(const QString& title, const QString& filter, const QString& initialFolder)
{
    // The question about replacing an existing file is the caller's, asked
    // through this interface like every other, so tests can answer it.
    return QFileDialog::getSaveFileName(owner(), title, initialFolder, qtNameFilters(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}
