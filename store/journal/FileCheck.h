#pragma once

#include <memory>
#include <optional>
#include <string>

#include "store/journal/JournalFormat.h"
#include "store/save/FileIdentity.h"

// Whether the file a journal's steps were done on is still there as it was:
// by its identity on disk, and by a hash of its bytes where the journal
// holds one.
namespace journal {

FileFacts factsOf(const std::string& path, const FileIdentity& identity);
std::optional<FileFacts> factsAt(const std::string& path);
// The same file in the same state, by all but its name.
bool sameState(const FileFacts& a, const FileFacts& b);

// Hashes a file a piece at a time, so that a thread with other work can take
// turns. The file must stay as `expected` says throughout; a file that
// changed meanwhile gives ChangedMark, as its bytes are no longer those the
// steps were done on.
class FileHasher {
public:
    FileHasher(const std::string& path, const FileFacts& expected);
    ~FileHasher();
    FileHasher(const FileHasher&) = delete;
    FileHasher& operator=(const FileHasher&) = delete;

    // Hashes the next piece; true when the result is ready.
    bool step();
    const std::string& result() const { return m_result; }

    static constexpr const char* ChangedMark = "changed";

private:
    void finish(std::string result);

    int m_fd = -1;
    FileFacts m_expected;
    struct State;
    std::unique_ptr<State> m_state;
    std::string m_result;
};

// The file's hash now, or ChangedMark when it cannot be read whole.
std::string hashNow(const std::string& path);

enum class FileState { Same, Changed, Gone };
// How the file the journal names stands now. Equal bytes are the same file
// even where its identity moved on (copied back, touched): the steps run on
// the bytes alone.
FileState stateNow(const Contents& contents);

} // namespace journal
