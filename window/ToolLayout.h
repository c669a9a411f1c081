#pragma once

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "window/Twips.h"

// Layout pieces every tool dialog uses.

// The bottom row: the progress line on the left, OK and Cancel on the right.
inline QHBoxLayout* dialogButtonRow(QLabel* progress, QPushButton* ok, QPushButton* cancel)
{
    auto* row = new QHBoxLayout;
    row->addWidget(progress, 1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}
