#pragma once

#include <QObject>

class QWidget;

// Long operations keep the window painting by pumping events. While one runs,
// the window must take no other command, or two operations would change the
// store at once: for the life of a CommandScope, mouse, key and close input
// to the window and its dialogs is swallowed. Painting, timers and resizing go on.
class CommandScope final : public QObject {
public:
    explicit CommandScope(QWidget* window);
    ~CommandScope() override;
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // Whether a command is running in `window`.
    static bool running(const QWidget* window);
    // Lets pending events run (input to the window excepted while a command runs).
    static void pumpEvents();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    bool m_outer;
};
