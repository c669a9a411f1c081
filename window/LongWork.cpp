#include "window/LongWork.h"

#include <QLabel>

namespace {

WorkWatcher* s_watcher = nullptr;
// Work started inside other work is part of it for the watcher.
int s_running = 0;

ProgressCallback progressIn(QLabel* label, std::function<void()> relayout, const QString& text)
{
    return [label, relayout = std::move(relayout), text](std::int64_t done, std::int64_t total) {
        label->setText(text.arg(done).arg(total));
        if (relayout)
            relayout();
        if (s_watcher)
            s_watcher->progress(done, total);
        CommandScope::pumpEvents();
    };
}

} // namespace

void LongWork::setWatcher(WorkWatcher* watcher) { s_watcher = watcher; }
WorkWatcher* LongWork::watcher() { return s_watcher; }

LongWork::LongWork(QWidget* window, QLabel* label, CSVDBS* store, std::function<void()> relayout,
                   const QString& text)
    : m_scope(window), m_show(progressIn(label, std::move(relayout), text)), m_label(label)
{
    if (store)
        m_reporting.emplace(*store, m_show);
    if (s_running++ == 0 && s_watcher)
        s_watcher->startWork();
}

LongWork::~LongWork()
{
    m_label->clear();
    if (--s_running == 0 && s_watcher)
        s_watcher->endWork();
}

void LongWork::run(QWidget* window, QLabel* label, CSVDBS* store, const std::function<void()>& work,
                   std::function<void()> relayout)
{
    const LongWork running(window, label, store, std::move(relayout));
    work();
}
