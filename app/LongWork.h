#pragma once

#include "app/CommandScope.h"
#include "app/WindowCommon.h"
#include "store/CSVDBS.h"

class QLabel;

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
