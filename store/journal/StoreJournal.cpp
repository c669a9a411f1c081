#include "store/journal/StoreJournal.h"

#include <atomic>
#include <cassert>
#include <utility>

#include <unistd.h>

#include "store/CSVDBS.h"
#include "store/journal/FileCheck.h"
#include "store/journal/JournalFolder.h"
#include "store/journal/JournalWriter.h"

namespace {

std::atomic<unsigned> journalsMade{0};

} // namespace

StoreJournal::StoreJournal(CSVDBS& store, std::string folder, std::string owner)
    : m_store(store), m_folder(std::move(folder)), m_owner(std::move(owner))
{
    startAfresh();
    m_store.ObserveHistory([this](History::Event event, const Step* step) { follow(event, step); });
}

StoreJournal::~StoreJournal()
{
    m_store.ObserveHistory(nullptr);
    if (m_writer)
        m_writer->discard();
}

std::string StoreJournal::path() const { return m_writer ? m_writer->path() : std::string(); }

std::string StoreJournal::problem() const
{
    if (m_writer && !m_writer->ok())
        return m_writer->error();
    return m_problem;
}

void StoreJournal::sync()
{
    if (m_writer)
        m_writer->sync();
}

void StoreJournal::startAfresh()
{
    if (m_writer)
        m_writer->discard();
    m_writer.reset();
    m_lost = false;
    m_basePosition = m_store.StepHistory().position();
    // Steps can only be made again on a file: a table made from nothing has
    // none until it is saved.
    const std::optional<FileIdentity>& onDisk = m_store.FileOnDisk();
    m_hasBase = onDisk && m_store.HasFieldList() && m_store.FileOnDiskName() == m_store.FileName();
    if (m_hasBase)
        m_base = {journal::factsOf(m_store.FileName(), *onDisk), journal::ReadChoices::of(m_store)};
}

bool StoreJournal::start()
{
    if (!journal::makeFolder(m_folder)) {
        m_problem = "The folder for journals, " + m_folder + ", cannot be made.";
        return false;
    }
    // A name a process now ended may have used: another is taken.
    const std::string stem = std::to_string(::getpid()) + "-" + m_owner + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto writer = std::make_unique<JournalWriter>(m_folder, stem + std::to_string(journalsMade++) + journal::Suffix, m_base);
        if (writer->ok()) {
            m_writer = std::move(writer);
            m_problem.clear();
            return true;
        }
        m_problem = writer->error();
    }
    return false;
}

void StoreJournal::follow(History::Event event, const Step* step)
{
    using Event = History::Event;
    switch (event) {
    case Event::Cleared:
    case Event::Saved:
        startAfresh();
        return;
    case Event::Done:
    case Event::Redone: {
        // A redo runs the step's operation again on the state it was done
        // on, which gives the same table; journaled as the operation, it
        // needs no way forward kept in the journal.
        if (!m_hasBase || m_lost || (!m_writer && !start()))
            return;
        assert(step);
        const bool large = step->bytes() >= LargeStepBytes;
        m_writer->append(journal::stepRecord(step->operation()), large);
        return;
    }
    case Event::Undone:
        if (!m_hasBase || m_lost)
            return;
        if (m_store.StepHistory().position() < m_basePosition) {
            // Back past a save: the file no longer holds what the step undid.
            m_lost = true;
            if (m_writer)
                m_writer->append(journal::markRecord(journal::Kind::LostTrack), true);
            return;
        }
        if (m_writer)
            m_writer->append(journal::markRecord(journal::Kind::Undo), false);
        return;
    }
}
