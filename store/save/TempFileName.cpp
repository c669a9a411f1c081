#include "store/save/TempFileName.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tempfile {

namespace {

constexpr const char* Marker = ".tabvane-save-";
constexpr std::size_t HashLength = 8;
constexpr std::size_t RandomLength = 6;

// Taken when the program starts: a temporary older than this was left by an
// earlier run.
const std::timespec ProgramStart = [] {
    std::timespec now {};
    std::timespec_get(&now, TIME_UTC);
    return now;
}();

std::string hashOf(const std::string& name)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : name)
        h = (h ^ c) * 16777619u;
    char text[HashLength + 1];
    std::snprintf(text, sizeof text, "%08x", h);
    return text;
}

bool olderThanProgram(const struct stat& st)
{
    return st.st_mtim.tv_sec < ProgramStart.tv_sec ||
           (st.st_mtim.tv_sec == ProgramStart.tv_sec && st.st_mtim.tv_nsec < ProgramStart.tv_nsec);
}

// Removes one leftover if it is still the file that was checked and no save
// holds its lock.
void removeIfAbandoned(int dirFd, const char* name)
{
    struct stat seen {};
    if (::fstatat(dirFd, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode) ||
        seen.st_uid != ::geteuid() || !olderThanProgram(seen))
        return;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat locked {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &locked) == 0 && locked.st_dev == seen.st_dev &&
        locked.st_ino == seen.st_ino)
        ::unlinkat(dirFd, name, 0);
    ::close(fd);
}

} // namespace

std::string prefixFor(const std::string& fileName, long nameMax)
{
    const std::size_t fixed = 1 + std::char_traits<char>::length(Marker) + HashLength + 1 + RandomLength;
    const std::size_t room = nameMax > static_cast<long>(fixed) ? static_cast<std::size_t>(nameMax) - fixed : 0;
    std::size_t keep = std::min(room, fileName.size());
    // Never cut a UTF-8 character in two: back off to the start of one.
    while (keep > 0 && keep < fileName.size() && (static_cast<unsigned char>(fileName[keep]) & 0xC0) == 0x80)
        --keep;
    std::string prefix = ".";
    prefix.append(fileName, 0, keep);
    return prefix + Marker + hashOf(fileName) + "-";
}

std::string freshName(const std::string& fileName, long nameMax)
{
    static std::mt19937_64 random(std::random_device{}());
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string name = prefixFor(fileName, nameMax);
    for (std::size_t i = 0; i < RandomLength; ++i)
        name += Letters[pick(random)];
    return name;
}

bool isTempOf(const std::string& candidate, const std::string& fileName, long nameMax)
{
    const std::string prefix = prefixFor(fileName, nameMax);
    return candidate.size() == prefix.size() + RandomLength && candidate.compare(0, prefix.size(), prefix) == 0;
}

void removeLeftovers(int dirFd, const std::string& fileName, const std::string& keep, long nameMax)
{
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != keep && isTempOf(name, fileName, nameMax))
            removeIfAbandoned(dirFd, entry->d_name);
    }
    ::closedir(dir);
}

} // namespace tempfile
