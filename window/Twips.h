#pragma once

#include <cmath>

#include <QWidget>

// The windows were laid out in twips: `twips` in pixels at this widget's
// screen (15 twips to a pixel at 96 dpi).
inline int px(const QWidget* w, int twips)
{
    return static_cast<int>(std::lround(twips / 15.0 * w->logicalDpiX() / 96.0));
}
