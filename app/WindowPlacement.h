#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>

// Where the main window opens and whether a remembered place still fits.

// The window's first size and place on a screen whose free area is
// `available`: four fifths of it, at most 1400 by 900, at least `minimum`
// where the screen has room for that, never larger than the screen; centred.
QRect openingGeometry(const QRect& available, const QSize& minimum);

// True when the window geometry `saved` (as QWidget::saveGeometry wrote it)
// has its middle on one of `screens`: a screen since unplugged would put the
// window out of sight.
bool landsOnScreen(const QByteArray& saved, const QList<QRect>& screens);
