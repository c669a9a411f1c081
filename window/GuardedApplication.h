#pragma once

#include <QApplication>

// The application object, with one last guard: an error that a handler let
// escape is reported as every other error is, and the program goes on, rather
// than unwinding through the event loop and ending with the user's work.
class GuardedApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;
};
