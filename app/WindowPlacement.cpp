#include "app/WindowPlacement.h"

#include <algorithm>

#include <QDataStream>

QRect openingGeometry(const QRect& available, const QSize& minimum)
{
    const auto side = [](int room, int cap, int least) {
        const int wanted = std::min(room * 4 / 5, cap);
        return std::min(std::max(wanted, least), room);
    };
    const QSize size(side(available.width(), 1400, minimum.width()), side(available.height(), 900, minimum.height()));
    QRect r(QPoint(), size);
    r.moveCenter(available.center());
    return r;
}

bool landsOnScreen(const QByteArray& saved, const QList<QRect>& screens)
{
    // The saved form starts with a mark, its version and the frame's rectangle.
    QDataStream in(saved);
    in.setVersion(QDataStream::Qt_4_0);
    quint32 mark = 0;
    quint16 major = 0;
    quint16 minor = 0;
    QRect frame;
    in >> mark >> major >> minor >> frame;
    if (in.status() != QDataStream::Ok || mark != 0x1D9D0CB || !frame.isValid())
        return false;
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& s) { return s.contains(frame.center()); });
}
