#include "window/PointerRules.h"

#include <optional>
#include <stdexcept>

#include <QAbstractButton>
#include <QCursor>
#include <QEvent>
#include <QWidget>

#include "platform/CursorFile.h"
#include "window/AppFiles.h"
#include "window/CommandScope.h"

namespace {

const char* HandProperty = "tabvaneHandPointer";

// The pointer rules act on the whole window, as the window has one pointer
// setting for all of its surface.
class PointerRule final : public QObject {
public:
    PointerRule(QWidget* window, bool button) : QObject(window), m_window(window), m_button(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter
            || event->type() == QEvent::HoverMove) {
            if (!isBusy(m_window))
                m_window->setCursor(m_button ? handOf(m_window) : QCursor(Qt::ArrowCursor));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static QCursor handOf(const QWidget* window)
    {
        const QVariant hand = window->property(HandProperty);
        return hand.isValid() ? hand.value<QCursor>() : QCursor(Qt::ArrowCursor);
    }

    QWidget* m_window;
    bool m_button;
};

} // namespace

bool loadHandPointer(QWidget* window)
{
    const QString path = appFile(QStringLiteral("HAND-M.CUR"));
    if (!PathExists(path))
        return false;
    const std::optional<QCursor> hand = loadCursorFile(path);
    if (!hand)
        throw std::runtime_error("Invalid picture");
    window->setProperty(HandProperty, QVariant::fromValue(*hand));
    return true;
}

void installButtonRule(QAbstractButton* button, QWidget* window)
{
    button->setMouseTracking(true);
    button->installEventFilter(new PointerRule(window, true));
}

void installSurfaceRule(QWidget* surface, QWidget* window)
{
    surface->setMouseTracking(true);
    surface->installEventFilter(new PointerRule(window, false));
}

void handOver(QWidget* window, std::initializer_list<QAbstractButton*> buttons)
{
    for (QAbstractButton* b : buttons)
        installButtonRule(b, window);
}

void arrowOver(QWidget* window, std::initializer_list<QWidget*> surfaces)
{
    for (QWidget* s : surfaces)
        installSurfaceRule(s, window);
}
