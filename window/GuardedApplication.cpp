#include "window/GuardedApplication.h"

#include "window/Procedure.h"

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportEscapedError(receiver ? QString::fromLatin1(receiver->metaObject()->className()) : QString());
        return false;
    }
}
