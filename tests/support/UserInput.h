#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// Drives a window as its user does: its controls are found by their object
// names, and buttons take real mouse clicks, which a hidden or disabled
// control does not take. A test that reaches for a control the user cannot
// reach fails here, rather than pass where the user would be stuck.

// The control `name` of `window`, of type T; a failure when there is none.
template <class T>
T* findControl(const QWidget& window, const QString& name)
{
    T* control = window.findChild<T*>(name);
    if (!control)
        ADD_FAILURE() << "the window has no " << name.toStdString();
    return control;
}

// A mouse click in the middle of the button `name`, if a user could click it.
inline void clickControl(const QWidget& window, const QString& name)
{
    auto* button = findControl<QAbstractButton>(window, name);
    if (!button)
        return;
    if (!button->isVisibleTo(&window) || !button->isEnabled()) {
        ADD_FAILURE() << name.toStdString() << " cannot be clicked: it is "
                      << (button->isEnabled() ? "hidden" : "disabled");
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

// Chooses the menu entry `name` (its object name), if it is enabled.
inline void chooseMenuEntry(const QWidget& window, const QString& name)
{
    auto* action = findControl<QAction>(window, name);
    if (!action)
        return;
    if (!action->isEnabled()) {
        ADD_FAILURE() << name.toStdString() << " cannot be chosen: it is disabled";
        return;
    }
    action->trigger();
}
