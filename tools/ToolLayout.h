#pragma once

#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

// Layout pieces every tool dialog uses.

// `twips` in pixels at this widget's screen (15 twips to a pixel at 96 dpi).
inline int px(const QWidget* w, int twips)
{
    return static_cast<int>(std::lround(twips / 15.0 * w->logicalDpiX() / 96.0));
}

// The bottom row: the progress line on the left, OK and Cancel on the right.
inline QHBoxLayout* dialogButtonRow(QLabel* progress, QPushButton* ok, QPushButton* cancel)
{
    auto* row = new QHBoxLayout;
    row->addWidget(progress, 1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}
