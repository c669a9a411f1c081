#pragma once

#include <initializer_list>

class QAbstractButton;
class QWidget;

// The window's pointer: the hand over push buttons, the arrow elsewhere, the
// busy pointer while a command runs (see CommandScope).

// The hand pointer from HAND-M.CUR, if that file loads.
bool loadHandPointer(QWidget* window);

// The hover rules: over a push button the window shows its hand pointer (the
// arrow when it has none); over a surface, the arrow. Neither rule touches a
// busy pointer.
void installButtonRule(QAbstractButton* button, QWidget* window);
void installSurfaceRule(QWidget* surface, QWidget* window);
void handOver(QWidget* window, std::initializer_list<QAbstractButton*> buttons);
void arrowOver(QWidget* window, std::initializer_list<QWidget*> surfaces);
