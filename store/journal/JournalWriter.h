#pragma once

#include <chrono>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "store/journal/JournalFormat.h"

// Appends a journal's records on a thread of its own, so that the window's
// thread only queues them. What is written reaches the disk (fdatasync) at
// least once a second, and at once after a record asked for it. The file is
// locked while its writer lives, so that no other process offers it for
// recovery; a writer that ends keeps the file, as a crash would. The file's
// hash is taken on a thread of the lowest priority, which only time no other
// work wants goes to, and a little after the journal starts.
class JournalWriter {
public:
    // Creates `folder`/`name` for `base`, whose file it hashes meanwhile.
    JournalWriter(const std::string& folder, const std::string& name, journal::Base base);
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // False when the file could not be made or written; why in error().
    bool ok() const;
    std::string error() const;
    const std::string& path() const { return m_path; }

    // Queues a whole record (journal::stepRecord and the like).
    void append(std::string record, bool urgent);
    // Returns once every record appended so far is on disk, the hash too.
    void sync();
    // Ends the writer and removes its file.
    void discard();

private:
    using Clock = std::chrono::steady_clock;
    void run();
    void hash();
    void finishHash();
    void stopHashing();
    bool writeAll(const std::string& bytes);
    void fail(const std::string& what);

    std::string m_path;
    int m_fd = -1;
    journal::Base m_base;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<std::string> m_queue;
    std::uint64_t m_appended = 0;
    std::uint64_t m_synced = 0;
    bool m_urgent = false;
    bool m_stop = false;
    // Stopping for good, the file already gone: nothing is worth a flush.
    bool m_discarded = false;
    bool m_hashed = false;
    std::string m_error;
    std::condition_variable m_hashWaits;
    std::atomic<bool> m_stopHashing{false};
    bool m_hashNow = false;
    std::thread m_thread;
    std::thread m_hasher;
};
