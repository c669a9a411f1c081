#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "store/history/History.h"
#include "store/journal/JournalFormat.h"

class CSVDBS;
class JournalWriter;

// Keeps a crash journal of one store: from the first step after a load or a
// save, each step's operation data and each undo go to a journal file, so
// that the changes can be made again after a crash. A save or a load starts
// afresh and removes the journal; so does the end of this object, as a
// window that closes cleanly leaves nothing to recover.
class StoreJournal {
public:
    // Journals go in `folder`, named after this process and `owner` (one
    // name per window), so that two windows on one file keep one each.
    StoreJournal(CSVDBS& store, std::string folder, std::string owner);
    ~StoreJournal();
    StoreJournal(const StoreJournal&) = delete;
    StoreJournal& operator=(const StoreJournal&) = delete;

    // The journal being written, or empty while there is none.
    std::string path() const;
    // Why the journal could not be kept; empty while it can.
    std::string problem() const;
    // Returns once what was journaled so far is on disk.
    void sync();

    // A step that holds this much memory took real work to make, so its
    // record goes to disk at once rather than within the second.
    static constexpr std::size_t LargeStepBytes = std::size_t(1) << 20;

private:
    void follow(History::Event event, const Step* step);
    void startAfresh();
    bool start();

    CSVDBS& m_store;
    std::string m_folder;
    std::string m_owner;
    std::unique_ptr<JournalWriter> m_writer;
    journal::Base m_base;
    bool m_hasBase = false;
    // An undo went back past the base: nothing more can be journaled.
    bool m_lost = false;
    std::uint64_t m_basePosition = 0;
    std::string m_problem;
};
