#include "window/LongWork.h"

#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QProgressDialog>

namespace {

WorkWatcher* s_watcher = nullptr;
// Work started inside other work is part of it for the watcher.
int s_running = 0;
QProgressDialog* s_window = nullptr;
// The work stopped for Cancel (a report threw).
bool s_stopped = false;

// Short work finishes before the window would show and never flashes it.
constexpr int ShowAfterMs = 400;

std::unique_ptr<QProgressDialog> makeProgressWindow(QWidget* window, const QString& text)
{
    auto dialog = std::make_unique<QProgressDialog>(text.arg(0).arg(0), QStringLiteral("Cancel"), 0, 1000, window);
    dialog->setWindowTitle(window->window()->windowTitle());
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(ShowAfterMs);
    dialog->setMinimumWidth(360);
    dialog->setValue(0);
    return dialog;
}

} // namespace

void LongWork::setWatcher(WorkWatcher* watcher) { s_watcher = watcher; }
WorkWatcher* LongWork::watcher() { return s_watcher; }
QProgressDialog* LongWork::progressWindow() { return s_window; }

LongWork::LongWork(QWidget* window, QLabel* label, CSVDBS* store, std::function<void()> relayout,
                   const QString& text, Cancelling cancelling)
    : m_scope(window), m_dialog(qobject_cast<QDialog*>(window->window())), m_label(label), m_relayout(std::move(relayout)), m_text(text),
      m_offersCancel(cancelling == Cancelling::Offered),
      m_show([this](std::int64_t done, std::int64_t total) { report(done, total); })
{
    if (m_dialog)
        m_sizeBefore = m_dialog->size();
    if (m_offersCancel && !s_window) {
        m_window = makeProgressWindow(window, text);
        s_window = m_window.get();
    }
    if (s_running == 0)
        s_stopped = false;
    if (store)
        m_reporting.emplace(*store, m_show);
    if (s_running++ == 0 && s_watcher)
        s_watcher->startWork();
}

LongWork::~LongWork()
{
    m_label->clear();
    // A long progress line widens a dialog while the work runs; once it is
    // cleared the dialog goes back to the size the user had.
    if (m_dialog && m_dialog->size() != m_sizeBefore) {
        if (m_dialog->layout())
            m_dialog->layout()->activate();
        m_dialog->resize(m_sizeBefore);
    }
    if (m_window)
        s_window = nullptr;
    if (--s_running == 0 && s_watcher)
        s_watcher->endWork(s_stopped);
}

void LongWork::report(std::int64_t done, std::int64_t total)
{
    const QString text = m_text.arg(done).arg(total);
    m_label->setText(text);
    if (m_relayout)
        m_relayout();
    if (s_watcher)
        s_watcher->progress(done, total);
    if (m_offersCancel && s_window) {
        s_window->setLabelText(text);
        if (total > 0)
            s_window->setValue(static_cast<int>(std::min<std::int64_t>(999, done * 1000 / total)));
    }
    CommandScope::pumpEvents();
    if (m_offersCancel && s_window && s_window->wasCanceled()) {
        s_stopped = true;
        throw WorkCancelled();
    }
}

bool LongWork::cancelled() { return s_stopped; }

bool LongWork::run(QWidget* window, QLabel* label, CSVDBS* store, const std::function<void()>& work,
                   std::function<void()> relayout)
{
    const LongWork running(window, label, store, std::move(relayout), QStringLiteral("Working on %1 of %2"),
                           Cancelling::Offered);
    try {
        work();
        return true;
    } catch (const WorkCancelled&) {
        return false;
    }
}
