#include "store/journal/JournalWriter.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/file.h>
#include <unistd.h>

#include "store/journal/FileCheck.h"

namespace {

constexpr auto SyncEvery = std::chrono::seconds(1);
constexpr auto HashAfter = std::chrono::seconds(2);

} // namespace

JournalWriter::JournalWriter(const std::string& folder, const std::string& name, journal::Base base)
    : m_path(folder + "/" + name), m_base(std::move(base))
{
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_error = "The journal " + m_path + " cannot be made: " + std::strerror(errno) + ".";
        m_hashed = true;
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = "The journal " + m_path + " cannot be locked: " + std::strerror(errno) + ".";
        ::close(m_fd);
        ::unlink(m_path.c_str());
        m_fd = -1;
        m_hashed = true;
        return;
    }
    m_queue.push_back(journal::fileHeader() + journal::baseRecord(m_base));
    m_appended = 1;
    m_urgent = true;
    m_thread = std::thread([this] { run(); });
    m_hasher = std::thread([this] { hash(); });
}

JournalWriter::~JournalWriter()
{
    stopHashing();
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool JournalWriter::ok() const
{
    const std::lock_guard lock(m_mutex);
    return m_error.empty();
}

std::string JournalWriter::error() const
{
    const std::lock_guard lock(m_mutex);
    return m_error;
}

void JournalWriter::append(std::string record, bool urgent)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_fd < 0 || !m_error.empty())
            return;
        m_queue.push_back(std::move(record));
        ++m_appended;
        m_urgent = m_urgent || urgent;
    }
    m_wake.notify_one();
}

void JournalWriter::sync()
{
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable())
        return;
    m_hashNow = true;
    m_hashWaits.notify_all();
    m_done.wait(lock, [&] { return m_hashed || !m_error.empty(); });
    m_urgent = true;
    m_wake.notify_one();
    const std::uint64_t target = m_appended;
    m_done.wait(lock, [&] { return m_synced >= target || !m_error.empty(); });
}

void JournalWriter::discard()
{
    // Removed while still locked: no other process can take it for one left behind.
    if (m_fd >= 0)
        ::unlink(m_path.c_str());
    stopHashing();
    {
        const std::lock_guard lock(m_mutex);
        m_queue.clear();
        m_stop = true;
        m_discarded = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool JournalWriter::writeAll(const std::string& bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail("cannot be written");
            return false;
        }
        at += static_cast<std::size_t>(n);
    }
    return true;
}

void JournalWriter::fail(const std::string& what)
{
    const std::lock_guard lock(m_mutex);
    m_error = "The journal " + m_path + " " + what + ": " + std::strerror(errno) + ".";
    m_done.notify_all();
}

void JournalWriter::hash()
{
    // SCHED_IDLE needs no privilege; where it is refused the hash merely competes.
    const sched_param none{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &none);
    // A step is often followed at once by more work, which the hash would
    // slow: it waits a while first. A crash before it is taken leaves the
    // identity on disk to decide.
    bool stopped = false;
    {
        std::unique_lock lock(m_mutex);
        m_hashWaits.wait_for(lock, HashAfter, [&] { return m_stopHashing || m_hashNow; });
        stopped = m_stopHashing;
    }
    if (stopped)
        return finishHash();
    journal::FileHasher hasher(m_base.file.path, m_base.file);
    while (!m_stopHashing && !hasher.step()) {
    }
    // A writer stopped mid-hash leaves the journal without one; the identity
    // on disk decides then.
    if (!m_stopHashing)
        append(journal::hashRecord(hasher.result()), true);
    finishHash();
}

void JournalWriter::finishHash()
{
    const std::lock_guard lock(m_mutex);
    m_hashed = true;
    m_done.notify_all();
}

void JournalWriter::stopHashing()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopHashing = true;
    }
    m_hashWaits.notify_all();
    if (m_hasher.joinable())
        m_hasher.join();
}

void JournalWriter::run()
{
    Clock::time_point lastSync = Clock::now() - SyncEvery;
    std::uint64_t written = 0;
    bool dirty = false;
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait_until(lock, dirty ? lastSync + SyncEvery : Clock::now() + std::chrono::hours(1),
                          [&] { return m_stop || !m_queue.empty() || m_urgent; });
        std::deque<std::string> batch;
        batch.swap(m_queue);
        const bool stop = m_stop;
        const bool discarded = m_discarded;
        const bool urgent = std::exchange(m_urgent, false);
        lock.unlock();

        bool good = true;
        for (const std::string& record : batch)
            if (!(good = writeAll(record)))
                break;
        written += batch.size();
        dirty = dirty || !batch.empty();
        const Clock::time_point now = Clock::now();
        if (good && dirty && !discarded && (urgent || stop || now - lastSync >= SyncEvery)) {
            if (::fdatasync(m_fd) != 0) {
                fail("cannot be written to disk");
                good = false;
            }
            lastSync = now;
            dirty = false;
        }

        lock.lock();
        if (!dirty)
            m_synced = written;
        m_done.notify_all();
        if (!good || (stop && m_queue.empty()))
            break;
    }
}
