#pragma once

#include <QObject>

class QWidget;

// A command running in a window. Long operations keep the window painting by
// pumping events, so while one runs the window must take no other command, or
// two operations would change the store at once: for the life of a
// CommandScope the window shows the busy pointer, and mouse, key and close
// input to the window and its dialogs is swallowed. Painting, timers and
// resizing go on. A scope opened while one runs in the same window leaves
// everything to the outer one.
class CommandScope final : public QObject {
public:
    explicit CommandScope(QWidget* window);
    ~CommandScope() override;
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // Whether a command is running in `window`: the one place "busy" is kept.
    static bool running(const QWidget* window);
    // Lets pending events run (input to the window excepted while a command runs).
    static void pumpEvents();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    bool m_outer;
};

// The busy pointer goes with the running command; the name is kept for the
// places that only want the pointer.
using BusyPointer = CommandScope;

inline bool isBusy(const QWidget* window) { return CommandScope::running(window); }
