#include "window/LongWork.h"

#include <QLabel>

ProgressCallback workProgressIn(QLabel* label, std::function<void()> relayout)
{
    return [label, relayout = std::move(relayout)](std::int64_t done, std::int64_t total) {
        label->setText(QStringLiteral("Working on %1 of %2").arg(done).arg(total));
        if (relayout)
            relayout();
        CommandScope::pumpEvents();
    };
}

LongWork::LongWork(QWidget* window, CSVDBS& store, QLabel* label, ProgressCallback show)
    : m_busy(window), m_scope(window), m_progress(store, std::move(show)), m_label(label)
{
}

LongWork::~LongWork() { m_label->clear(); }
