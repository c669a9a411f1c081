#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "store/CSVDBS.h"
#include "window/CommandScope.h"

class QLabel;

// Shows every long work of the program while it runs, besides the runner's
// own progress line: the main window's status line, for work started from a
// dialog as much as from the window.
class WorkWatcher {
public:
    virtual void startWork() = 0;
    virtual void progress(std::int64_t done, std::int64_t total) = 0;
    virtual void endWork() = 0;

protected:
    ~WorkWatcher() = default;
};

// The one runner for long work, used by every command that may take a while:
// the busy pointer and no other command taken (CommandScope), progress shown
// as "Working on r of n" in `label` with a repaint, and that progress handed
// to `store`'s own long loops for the run, the store's previous callback
// restored after. The progress line is cleared when the work ends, however it
// ends. Work over a grid rather than a store (the exports) reads the same
// progress from progress().
class LongWork {
public:
    // `relayout` runs after each progress text, for a window whose layout
    // depends on the label's size. `store` may be null. `text` takes the
    // count done (%1) and the total (%2).
    LongWork(QWidget* window, QLabel* label, CSVDBS* store = nullptr, std::function<void()> relayout = {},
             const QString& text = QStringLiteral("Working on %1 of %2"));
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    const ProgressCallback& progress() const { return m_show; }

    // The watcher of all long work from now on; nullptr for none.
    static void setWatcher(WorkWatcher* watcher);
    static WorkWatcher* watcher();

    // Runs `work` under a LongWork.
    static void run(QWidget* window, QLabel* label, CSVDBS* store, const std::function<void()>& work,
                    std::function<void()> relayout = {});

private:
    CommandScope m_scope;
    ProgressCallback m_show;
    std::optional<ProgressScope> m_reporting;
    QLabel* m_label;
};
