#pragma once

#include "window/CommandScope.h"
#include "window/WindowCommon.h"
#include "store/CSVDBS.h"

#include <functional>

class QLabel;

// Progress as every long command shows it: "Working on r of n" in `label`,
// then `relayout` (when the label's size matters to the window) and a repaint.
ProgressCallback workProgressIn(QLabel* label, std::function<void()> relayout = {});

// A long command in `window`: the busy pointer, no other command taken, the
// store's progress handed to `show`, and the progress line `label` cleared
// when it ends, however it ends.
class LongWork {
public:
    LongWork(QWidget* window, CSVDBS& store, QLabel* label, ProgressCallback show);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

private:
    BusyPointer m_busy;
    CommandScope m_scope;
    ProgressScope m_progress;
    QLabel* m_label;
};
