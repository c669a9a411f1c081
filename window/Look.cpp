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

QPalette skinPalette(const QPalette& desktop)
{
    QPalette p = desktop;
    const QColor window = desktop.color(QPalette::Window);
    if (window.lightness() >= 128) {
        // The light look, as the skin has always shown it.
        const QColor text(0x1f2a37);
        const QColor muted(0x8a96a3);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(role, text);
        p.setColor(QPalette::Window, QColor(0xeef2f6));
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::AlternateBase, QColor(0xf4f7fa));
        p.setColor(QPalette::Button, QColor(0xe3e9f0));
        p.setColor(QPalette::Light, Qt::white);
        p.setColor(QPalette::Midlight, QColor(0xc9d3de));
        p.setColor(QPalette::Mid, QColor(0xa9b7c6));
        p.setColor(QPalette::Dark, muted);
        p.setColor(QPalette::Highlight, QColor(0x2f6fa6));
        p.setColor(QPalette::HighlightedText, Qt::white);
        p.setColor(QPalette::Link, QColor(0x2b5d8a));
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, role, muted);
        return p;
    }
    // A dark desktop keeps its colours. The shades the skin draws edges and
    // raised faces with follow from them, in case the palette left them light.
    const QColor button = desktop.color(QPalette::Button);
    const QColor base = desktop.color(QPalette::Base);
    p.setColor(QPalette::Light, button.lighter(130));
    p.setColor(QPalette::Midlight, window.lighter(160));
    p.setColor(QPalette::Mid, window.lighter(220));
    p.setColor(QPalette::Dark, window.lighter(280));
    if (desktop.color(QPalette::AlternateBase).lightness() >= 128)
        p.setColor(QPalette::AlternateBase, base.lighter(120));
    QColor link = desktop.color(QPalette::Highlight);
    while (link.lightness() < 170 && link != link.lighter(120))
        link = link.lighter(120);
    p.setColor(QPalette::Link, link);
    return p;
}

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
    // message boxes wear the same skin. The style sheet takes its colours
    // from the palette as it is when the sheet is set.
    // A palette other than the one set here last is the desktop's new one.
    static QPalette desktop;
    static QPalette applied;
    static bool skinned = false;
    if (!skinned || QApplication::palette() != applied)
        desktop = QApplication::palette();
    applied = skinPalette(desktop);
    skinned = true;
    QApplication::setPalette(applied);
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
}
