#include "window/CommandScope.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {
const char* RunningProperty = "tabvaneCommandRunning";

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}
} // namespace

CommandScope::CommandScope(QWidget* window)
    : m_window(window), m_outer(!running(window))
{
    if (m_outer) {
        m_window->setProperty(RunningProperty, true);
        m_window->setCursor(Qt::WaitCursor);
        qApp->installEventFilter(this);
    }
}

CommandScope::~CommandScope()
{
    if (m_outer) {
        qApp->removeEventFilter(this);
        m_window->setProperty(RunningProperty, false);
        m_window->setCursor(Qt::ArrowCursor);
    }
}

bool CommandScope::running(const QWidget* window) { return window->property(RunningProperty).toBool(); }

void CommandScope::pumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }

bool CommandScope::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->isWidgetType() && isUserInput(event->type())) {
        QWidget* target = static_cast<QWidget*>(watched);
        if (target == m_window || m_window->isAncestorOf(target)) {
            if (event->type() == QEvent::Close)
                event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
