#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>

// Long store loops report here so that a window can repaint and show how far it
// got. `done` and `total` count the loop's own units (lines, records, values).
using ProgressCallback = std::function<void(std::int64_t done, std::int64_t total)>;

// Thrown from a progress callback to stop the work it reports on (the user
// pressed Cancel). The step the work was making is taken back whole on the
// way out (StepScope), so the data and the undo history stay as they were.
class WorkCancelled : public std::exception {
public:
    WorkCancelled() { ++inFlight(); }
    WorkCancelled(const WorkCancelled&) noexcept { ++inFlight(); }
    WorkCancelled& operator=(const WorkCancelled&) = default;
    ~WorkCancelled() override { --inFlight(); }
    const char* what() const noexcept override { return "Cancelled"; }
    // How many are alive on this thread: nonzero while one unwinds the stack.
    static int& inFlight()
    {
        thread_local int count = 0;
        return count;
    }
};

// Calls the callback at most every interval, checking the clock only every few
// thousand steps so that a tight loop over millions of values stays tight.
class ProgressTicker {
public:
    ProgressTicker(const ProgressCallback& callback, std::int64_t total,
                   std::chrono::milliseconds interval = defaultInterval())
        : m_callback(callback), m_total(total), m_interval(interval),
          m_last(std::chrono::steady_clock::now()) {}

    void step(std::int64_t done)
    {
        if (!m_callback || (++m_counter & 0xFFF) != 0)
            return;
        reportIfDue(done);
    }

    // For loops of a few long steps, where every step is worth a look at the clock.
    void coarseStep(std::int64_t done)
    {
        if (m_callback)
            reportIfDue(done);
    }

    // 50 ms; a test sets zero to be told at every check.
    static std::chrono::milliseconds defaultInterval() { return std::chrono::milliseconds(intervalMs().load()); }
    static std::atomic<int>& intervalMs()
    {
        static std::atomic<int> ms{50};
        return ms;
    }

private:
    void reportIfDue(std::int64_t done)
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last < m_interval)
            return;
        m_last = now;
        m_callback(done, m_total);
    }

    const ProgressCallback& m_callback;
    std::int64_t m_total;
    std::chrono::milliseconds m_interval;
    std::chrono::steady_clock::time_point m_last;
    std::uint32_t m_counter = 0;
};
