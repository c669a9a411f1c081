#include "window/LongWork.h"

#include <QLabel>

namespace {

ProgressCallback progressIn(QLabel* label, std::function<void()> relayout, const QString& text)
{
    return [label, relayout = std::move(relayout), text](std::int64_t done, std::int64_t total) {
        label->setText(text.arg(done).arg(total));
        if (relayout)
            relayout();
        CommandScope::pumpEvents();
    };
}

} // namespace

LongWork::LongWork(QWidget* window, QLabel* label, CSVDBS* store, std::function<void()> relayout,
                   const QString& text)
    : m_scope(window), m_show(progressIn(label, std::move(relayout), text)), m_label(label)
{
    if (store)
        m_reporting.emplace(*store, m_show);
}

LongWork::~LongWork() { m_label->clear(); }

void LongWork::run(QWidget* window, QLabel* label, CSVDBS* store, const std::function<void()>& work,
                   std::function<void()> relayout)
{
    const LongWork running(window, label, store, std::move(relayout));
    work();
}
