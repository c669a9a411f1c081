#include "store/save/AtomicFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "store/save/LinkTarget.h"
#include "store/save/SaveSystemCalls.h"
#include "store/save/TempFileName.h"

namespace fs = std::filesystem;
using savecall::retryInterrupted;

namespace {
constexpr std::size_t BufferSize = 1 << 20;
} // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : m_path(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() { cancel(); }

bool AtomicFileWriter::fail(const std::string& what)
{
    if (!m_failed) {
        m_failed = true;
        m_error = what;
    }
    return false;
}

bool AtomicFileWriter::failErrno(const std::string& what) { return fail(what + ": " + std::strerror(errno)); }

bool AtomicFileWriter::open()
{
    if (m_path.empty())
        return fail("No file name was given.");
    std::string target;
    std::string error;
    if (!resolveSaveTarget(m_path, target, error))
        return fail(error);
    const fs::path targetPath(target);
    m_name = targetPath.filename().string();
    if (m_name.empty() || m_name == "." || m_name == "..")
        return fail("The name is a folder's, not a file's.");

    if (::stat(target.c_str(), &m_old) == 0) {
        m_exists = true;
        if (!S_ISREG(m_old.st_mode))
            return fail("Only a regular file can be replaced.");
        // Renaming over a file needs only the folder's permission; a file the
        // user may not write stays protected all the same.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return failErrno("The file cannot be written");
    } else if (errno != ENOENT) {
        return failErrno("Cannot look at the file");
    }

    if (!openFolder(targetPath.has_parent_path() ? targetPath.parent_path().string() : "."))
        return false;
    if (m_exists) {
        if (!m_attributes.read(target, m_old, error))
            return fail(error + ". The file was left as it is.");
    } else if (m_modeIfMissing) {
        m_attributes.modeOnly(*m_modeIfMissing);
    }
    if (!createTemp())
        return false;
    tempfile::removeLeftovers(m_dirFd, m_name, m_temp, m_nameMax);
    m_buffer.reserve(BufferSize);
    return true;
}

bool AtomicFileWriter::openFolder(const std::string& folder)
{
    m_dirFd = retryInterrupted([&] { return savecall::openFolder(folder); });
    if (m_dirFd < 0 && errno == EACCES) {
        // A folder one may write but not read still takes the new file; it
        // just cannot be flushed.
        m_dirFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        m_canSyncFolder = false;
    }
    if (m_dirFd < 0)
        return failErrno("Cannot open the file's folder");
    const long nameMax = ::fpathconf(m_dirFd, _PC_NAME_MAX);
    m_nameMax = nameMax > 0 ? nameMax : NAME_MAX;
    return true;
}

bool AtomicFileWriter::createTemp()
{
    // With a mode to carry, nobody else may read the new file before it has
    // that mode; otherwise the folder's defaults and the umask decide, as for
    // any new file.
    const mode_t createMode = m_attributes.known() ? 0600 : 0666;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = tempfile::freshName(m_name, m_nameMax);
        m_fd = retryInterrupted([&] {
            return savecall::openAt(m_dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        });
        if (m_fd >= 0) {
            m_temp = name;
            break;
        }
        if (errno != EEXIST)
            return failErrno("Cannot create a file in the folder");
    }
    if (m_fd < 0)
        return fail("Cannot create a file in the folder: every name tried was taken.");
    // An access list inherited from the folder would let others read the data
    // as it is written; the file's own permissions go on at commit.
    std::string error;
    if (m_attributes.known() && !FileAttributes::dropInherited(m_fd, error))
        return fail(error);
    // Held until the new file has taken its name: a save that finds this
    // file locked leaves it alone. Where locks are not kept, the age check
    // alone protects it.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    if (::fstat(m_fd, &m_tempStat) != 0)
        return failErrno("Cannot look at the new file");
    return true;
}

bool AtomicFileWriter::write(std::string_view bytes)
{
    if (m_failed || m_fd < 0)
        return false;
    if (m_buffer.size() + bytes.size() > BufferSize && !flush())
        return false;
    // A large piece goes out as it is, without a copy into the buffer.
    if (bytes.size() >= BufferSize) {
        for (std::size_t at = 0; at < bytes.size(); at += BufferSize)
            if (!writeOut(bytes.substr(at, BufferSize)))
                return false;
        return true;
    }
    m_buffer.append(bytes);
    return true;
}

bool AtomicFileWriter::flush()
{
    if (!writeOut(m_buffer))
        return false;
    m_buffer.clear();
    return true;
}

bool AtomicFileWriter::writeOut(std::string_view bytes)
{
    const char* pos = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = retryInterrupted([&] { return savecall::write(m_fd, pos, left); });
        if (n < 0)
            return failErrno("Cannot write the file");
        if (n == 0)
            return fail("Cannot write the file: nothing was written.");
        pos += n;
        left -= static_cast<std::size_t>(n);
        m_bytesOut += static_cast<std::size_t>(n);
    }
    // Start the disk writing now, while the rest is still being formatted, so
    // that the final fsync has little left to wait for. Only a hint: fsync
    // still decides.
    constexpr std::size_t WriteBehind = 8u << 20;
    if (m_bytesOut - m_writeBehindFrom >= WriteBehind) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_writeBehindFrom),
                          static_cast<off_t>(m_bytesOut - m_writeBehindFrom), SYNC_FILE_RANGE_WRITE);
        m_writeBehindFrom = m_bytesOut;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (m_failed || m_fd < 0 || !flush())
        return false;
    // The attributes go on last: writing would clear a set-user-ID bit.
    std::string error;
    if (!m_attributes.applyTo(m_fd, error))
        return fail(error + ". The file was left as it is.");
    if (retryInterrupted([&] { return savecall::fsync(m_fd); }) != 0)
        return failErrno("Cannot flush the file to disk");
    int lockFd = -1;
    if (!lockTarget(lockFd))
        return false;
    const bool placed = stillExpected(lockFd) && putInPlace();
    if (lockFd >= 0)
        ::close(lockFd); // the next save of this file may look now
    if (!placed)
        return false;
    // Taken after the rename, which sets the change time.
    struct stat done {};
    if (::fstat(m_fd, &done) != 0)
        return failErrno("Cannot look at the new file");
    m_written = FileIdentity::of(done);
    cancel();
    return true;
}

// Locks the file that is to be replaced, as found under its name once the
// lock is held; -1 with success where there is none, or it cannot be read
// (a lock needs a file open for reading).
bool AtomicFileWriter::lockTarget(int& lockFd)
{
    constexpr int WaitMilliseconds = 20000;
    for (int waited = 0;;) {
        lockFd = ::openat(m_dirFd, m_name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (lockFd < 0)
            return true;
        if (::flock(lockFd, LOCK_EX | LOCK_NB) == 0) {
            struct stat locked {}, named {};
            if (::fstat(lockFd, &locked) == 0 && ::fstatat(m_dirFd, m_name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
                && locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
                return true;
            // Replaced while we waited: lock what has the name now.
        } else if (errno != EWOULDBLOCK) {
            return true; // no locks on this file system
        } else if (waited >= WaitMilliseconds) {
            ::close(lockFd);
            lockFd = -1;
            return fail("Another program has kept the file locked for " + std::to_string(WaitMilliseconds / 1000)
                        + " seconds; nothing was saved. Please try again.");
        } else {
            ::usleep(10000);
            waited += 10;
        }
        ::close(lockFd);
    }
}

bool AtomicFileWriter::stillExpected(int lockFd)
{
    if (!m_expecting)
        return true;
    std::optional<FileIdentity> now;
    struct stat st {};
    if (lockFd >= 0 ? ::fstat(lockFd, &st) == 0 : ::fstatat(m_dirFd, m_name.c_str(), &st, 0) == 0)
        now = FileIdentity::of(st);
    else if (errno != ENOENT)
        return failErrno("Cannot look at the file");
    const bool same = now && m_expected ? now->sameAs(*m_expected) : now.has_value() == m_expected.has_value();
    if (same)
        return true;
    m_changedOnDisk = true;
    return fail(now ? "Another program has changed the file since it was opened or last saved; nothing was saved."
                    : "Another program has deleted the file since it was opened or last saved; nothing was saved.");
}

// Gives the new file the old name. Where the file system can swap two names,
// the old file stays under the temporary name until the swap is known to be
// on disk, so that a failure can still swap back.
bool AtomicFileWriter::putInPlace()
{
    bool swapped = false;
    if (m_exists) {
        if (savecall::renameAt(m_dirFd, m_temp.c_str(), m_name.c_str(), true) == 0)
            swapped = true;
        else if (errno != EINVAL && errno != ENOENT && errno != ENOSYS)
            return failErrno("Cannot replace the file");
    }
    if (!swapped && savecall::renameAt(m_dirFd, m_temp.c_str(), m_name.c_str(), false) != 0)
        return failErrno("Cannot replace the file");

    if (!m_canSyncFolder || retryInterrupted([&] { return savecall::fsyncFolder(m_dirFd); }) == 0) {
        if (swapped && tempIs(m_old.st_dev, m_old.st_ino))
            removeTempIf(m_old.st_dev, m_old.st_ino); // the old contents
        else if (swapped)
            keepAside();
        else
            m_temp.clear();
        return true;
    }
    const std::string why = std::strerror(errno);
    if (swapped) {
        if (savecall::renameAt(m_dirFd, m_temp.c_str(), m_name.c_str(), true) == 0)
            return fail("Cannot make the new file safe on disk (the folder cannot be flushed: " + why +
                        "). The file was left as it was.");
        m_temp.clear(); // holds the old contents now: keep them
        return fail("Cannot make the new file safe on disk (the folder cannot be flushed: " + why +
                    "), and the old file could not be put back; it is kept beside it.");
    }
    if (!m_exists) {
        // There was no file before: leave none rather than one that may not
        // survive.
        struct stat st {};
        if (::fstatat(m_dirFd, m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == m_tempStat.st_dev &&
            st.st_ino == m_tempStat.st_ino && ::unlinkat(m_dirFd, m_name.c_str(), 0) == 0)
            return fail("Cannot make the new file safe on disk (the folder cannot be flushed: " + why + ").");
    }
    m_temp.clear();
    return fail("The file was replaced, but the system cannot confirm that it is on disk (the folder cannot "
                "be flushed: " + why + ").");
}

// What the swap took out is not the file this save looked at: another
// program put its own there meanwhile. It gets a name of its own, which no
// later save takes for a leftover, and the user is told.
void AtomicFileWriter::keepAside()
{
    const fs::path name(m_name);
    const std::string stem = name.stem().string(), extension = name.extension().string();
    for (int n = 1; n < 100; ++n) {
        std::string aside = stem + " (replaced while saving";
        if (n > 1) {
            aside += ' ';
            aside += std::to_string(n);
        }
        aside += ")" + extension;
        if (::renameat2(m_dirFd, m_temp.c_str(), m_dirFd, aside.c_str(), RENAME_NOREPLACE) == 0) {
            m_notice = "Another program replaced the file while it was being saved. Its version is kept as \""
                + aside + "\".";
            m_temp.clear();
            return;
        }
        if (errno != EEXIST)
            break;
    }
    m_notice = "Another program replaced the file while it was being saved. Its version is kept as \"" + m_temp
        + "\"; rename it to keep it, as a later save removes such files.";
    m_temp.clear();
}

bool AtomicFileWriter::tempIs(dev_t device, ino_t inode) const
{
    struct stat st {};
    return !m_temp.empty() && ::fstatat(m_dirFd, m_temp.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           st.st_dev == device && st.st_ino == inode;
}

void AtomicFileWriter::removeTempIf(dev_t device, ino_t inode)
{
    if (tempIs(device, inode))
        ::unlinkat(m_dirFd, m_temp.c_str(), 0);
    m_temp.clear();
}

void AtomicFileWriter::cancel()
{
    // Only ever removes our own new file: after a rename that may or may not
    // have happened the name could stand for the user's file.
    removeTempIf(m_tempStat.st_dev, m_tempStat.st_ino);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_dirFd >= 0) {
        ::close(m_dirFd);
        m_dirFd = -1;
    }
}
