#include "window/Look.h"

#include <stdexcept>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

#include "window/AppFiles.h"

namespace {

// Only the form paints its background; the controls take the colour but let
// the surface behind them show, so a frame drawn lighter by the skin keeps
// its look around the labels and check boxes inside it.
void setBackground(QWidget* w, const QColor& colour, bool paint)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colour);
    w->setPalette(palette);
    w->setAutoFillBackground(paint);
}

} // namespace

void SetFormColors(QWidget* form)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    setBackground(form, face, true);
    for (QWidget* child : form->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child)
            || qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            setBackground(child, face, false);
    }
}

void useWindowFont(QWidget* window)
{
    QFont font(QStringLiteral("Arial"), 8);
    font.setBold(true);
    window->setFont(font);
    for (QWidget* child : window->findChildren<QWidget*>())
        child->setFont(font);
}

void ApplySkin(QWidget* window)
{
    const QString path = appFile(QStringLiteral("x/o.cjs"));
    if (!QFileInfo(path).isFile())
        return;
    SetFormColors(window);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot read the skin file " + path.toStdString());
    // Set on the application rather than the window, so that the dialogs and
    // message boxes wear the same skin.
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
}
