#include "store/journal/FileCheck.h"

#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>

namespace journal {

namespace {

// A hash to tell one file's bytes from another's, not to resist an attacker:
// SHA-1 is the fastest that Qt Core offers.
constexpr auto Algorithm = QCryptographicHash::Sha1;
constexpr std::size_t Piece = std::size_t(4) << 20;

} // namespace

FileFacts factsOf(const std::string& path, const FileIdentity& identity)
{
    return {path, static_cast<std::int64_t>(identity.size), static_cast<std::int64_t>(identity.modified.tv_sec),
            static_cast<std::int64_t>(identity.modified.tv_nsec), static_cast<std::uint64_t>(identity.inode),
            static_cast<std::uint64_t>(identity.device)};
}

std::optional<FileFacts> factsAt(const std::string& path)
{
    const std::optional<FileIdentity> identity = FileIdentity::at(path);
    if (!identity)
        return std::nullopt;
    return factsOf(path, *identity);
}

bool sameState(const FileFacts& a, const FileFacts& b)
{
    return a.size == b.size && a.modifiedSeconds == b.modifiedSeconds && a.modifiedNanoseconds == b.modifiedNanoseconds
        && a.inode == b.inode && a.device == b.device;
}

struct FileHasher::State {
    QCryptographicHash hash{Algorithm};
    std::vector<char> buffer = std::vector<char>(Piece);
};

FileHasher::FileHasher(const std::string& path, const FileFacts& expected)
    : m_expected(expected), m_state(std::make_unique<State>())
{
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || !sameState(factsOf(path, FileIdentity::of(st)), expected))
        finish(ChangedMark);
#ifdef POSIX_FADV_SEQUENTIAL
    else
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

FileHasher::~FileHasher()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileHasher::finish(std::string result)
{
    m_result = std::move(result);
    m_state.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool FileHasher::step()
{
    if (!m_state)
        return true;
    const ssize_t got = ::read(m_fd, m_state->buffer.data(), m_state->buffer.size());
    if (got < 0 && errno == EINTR)
        return false;
    if (got > 0) {
        m_state->hash.addData(QByteArrayView(m_state->buffer.data(), got));
        return false;
    }
    // Read to its end: the bytes hashed are the steps' only if nothing
    // changed the file while we read.
    struct stat st {};
    const bool same = got == 0 && ::fstat(m_fd, &st) == 0
        && sameState(factsOf(m_expected.path, FileIdentity::of(st)), m_expected);
    finish(same ? m_state->hash.result().toHex().toStdString() : std::string(ChangedMark));
    return true;
}

std::string hashNow(const std::string& path)
{
    const std::optional<FileFacts> facts = factsAt(path);
    if (!facts)
        return FileHasher::ChangedMark;
    FileHasher hasher(path, *facts);
    while (!hasher.step()) {
    }
    return hasher.result();
}

FileState stateNow(const Contents& contents)
{
    const std::string& path = contents.base.file.path;
    const std::optional<FileFacts> now = factsAt(path);
    if (!now)
        return FileState::Gone;
    if (contents.hash == FileHasher::ChangedMark)
        return FileState::Changed;
    if (!contents.hash.empty())
        return now->size == contents.base.file.size && hashNow(path) == contents.hash ? FileState::Same
                                                                                       : FileState::Changed;
    return sameState(*now, contents.base.file) ? FileState::Same : FileState::Changed;
}

} // namespace journal
