#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QPointer>
#include <QSize>
#include <QString>

#include "store/CSVDBS.h"
#include "window/CommandScope.h"

class QDialog;
class QLabel;
class QProgressDialog;

// Shows every long work of the program while it runs, besides the runner's
// own progress line: the main window's status line, for work started from a
// dialog as much as from the window.
class WorkWatcher {
public:
    virtual void startWork() = 0;
    virtual void progress(std::int64_t done, std::int64_t total) = 0;
    // `cancelled`: the user stopped the work and it was taken back.
    virtual void endWork(bool cancelled) = 0;

protected:
    ~WorkWatcher() = default;
};

// Whether the user may stop the work. Only work that leaves nothing behind
// when stopped offers it: a store step (taken back whole), a read, a look.
enum class Cancelling { Offered, NotOffered };

// The one runner for long work, used by every command that may take a while:
// the busy pointer and no other command taken (CommandScope), progress shown
// as "Working on r of n" in `label` with a repaint, and that progress handed
// to `store`'s own long loops for the run, the store's previous callback
// restored after. The progress line is cleared when the work ends, however it
// ends, and a dialog the line widened goes back to its size. Work over a
// grid rather than a store (the exports) reads the same progress from
// progress().
//
// Work that offers cancelling also gets a progress window with a bar and
// Cancel, once it has run a moment. Cancel makes the next progress report
// throw WorkCancelled, which unwinds the work (a store step taking itself
// back on the way); run() catches it, a caller of the constructor catches it
// itself.
class LongWork {
public:
    // `relayout` runs after each progress text, for a window whose layout
    // depends on the label's size. `store` may be null. `text` takes the
    // count done (%1) and the total (%2).
    LongWork(QWidget* window, QLabel* label, CSVDBS* store = nullptr, std::function<void()> relayout = {},
             const QString& text = QStringLiteral("Working on %1 of %2"),
             Cancelling cancelling = Cancelling::NotOffered);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    const ProgressCallback& progress() const { return m_show; }
    // Whether the last work stopped because the user pressed Cancel.
    static bool cancelled();

    // The watcher of all long work from now on; nullptr for none.
    static void setWatcher(WorkWatcher* watcher);
    static WorkWatcher* watcher();
    // The window with the bar and Cancel while work that offers it runs
    // (hidden for its first moment), else nullptr.
    static QProgressDialog* progressWindow();

    // Runs `work` under a LongWork that offers cancelling; false when the
    // user cancelled it.
    [[nodiscard]] static bool run(QWidget* window, QLabel* label, CSVDBS* store, const std::function<void()>& work,
                                  std::function<void()> relayout = {});

private:
    void report(std::int64_t done, std::int64_t total);

    CommandScope m_scope;
    QPointer<QDialog> m_dialog;
    QSize m_sizeBefore;
    QLabel* m_label;
    std::function<void()> m_relayout;
    QString m_text;
    bool m_offersCancel;
    // Only the outermost work that offers cancelling has the window; work
    // inside it reports to the same one.
    std::unique_ptr<QProgressDialog> m_window;
    ProgressCallback m_show;
    std::optional<ProgressScope> m_reporting;
};
