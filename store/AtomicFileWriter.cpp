#include "store/AtomicFileWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t BufferSize = 1 << 20;

// Follows a chain of symbolic links to the file they finally name, which need
// not exist yet.
std::string resolveLinks(const std::string& path)
{
    fs::path p(path);
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
        const fs::path next = fs::read_symlink(p, ec);
        if (ec)
            break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p.string();
}

mode_t defaultMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

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

bool AtomicFileWriter::open()
{
    if (m_path.empty())
        return fail("No file name was given.");
    m_target = resolveLinks(m_path);

    struct stat old {};
    const bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return fail("Only a regular file can be replaced.");
    // Renaming over a file needs only the folder's permission; a file the
    // user may not write stays protected all the same.
    if (exists && ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0)
        return fail(std::string("The file cannot be written: ") + std::strerror(errno));

    const fs::path target(m_target);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".saving-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail(std::string("Cannot create a file in the folder: ") + std::strerror(errno));
    m_temp = name.data();

    if (::fchmod(m_fd, exists ? (old.st_mode & 07777) : defaultMode()) != 0)
        return fail(std::string("Cannot set the file's permissions: ") + std::strerror(errno));
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Keeps the owner when root saves someone else's file and the group
        // when the user belongs to it; an ordinary user cannot give a file
        // away, and the save goes on regardless.
        if (::fchown(m_fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(m_fd, static_cast<uid_t>(-1), old.st_gid);
    }
    m_buffer.reserve(BufferSize);
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
        const ssize_t n = ::write(m_fd, pos, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(std::string("Cannot write the file: ") + std::strerror(errno));
        }
        if (n == 0)
            return fail("Cannot write the file: nothing was written.");
        pos += n;
        left -= static_cast<std::size_t>(n);
        m_written += static_cast<std::size_t>(n);
    }
    // Start the disk writing now, while the rest is still being formatted, so
    // that the final fsync has little left to wait for. Only a hint: fsync
    // still decides.
    constexpr std::size_t WriteBehind = 8u << 20;
    if (m_written - m_writeBehindFrom >= WriteBehind) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_writeBehindFrom),
                          static_cast<off_t>(m_written - m_writeBehindFrom), SYNC_FILE_RANGE_WRITE);
        m_writeBehindFrom = m_written;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (m_failed || m_fd < 0 || !flush())
        return false;
    if (::fsync(m_fd) != 0)
        return fail(std::string("Cannot flush the file to disk: ") + std::strerror(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(std::string("Cannot close the file: ") + std::strerror(errno));
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return fail(std::string("Cannot replace the file: ") + std::strerror(errno));
    m_temp.clear();

    const fs::path folder = fs::path(m_target).has_parent_path() ? fs::path(m_target).parent_path() : ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir); // makes the new name durable; the file itself already is
        ::close(dir);
    }
    return true;
}

void AtomicFileWriter::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}
