#include "store/journal/JournalFolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

std::string folder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    // The base directory rules ignore a relative path.
    if (state && state[0] == '/')
        return std::string(state) + "/tabvane";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/tabvane";
}

bool makeFolder(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return true;
    std::filesystem::create_directories(path, ec);
    // The journals hold the user's data: nobody else reads them.
    ::chmod(path.c_str(), 0700);
    return std::filesystem::is_directory(path, ec);
}

LeftJournal::~LeftJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

LeftJournal::LeftJournal(LeftJournal&& other) noexcept
    : m_path(std::move(other.m_path)), m_fd(std::exchange(other.m_fd, -1))
{
}

bool LeftJournal::remove() { return ::unlink(m_path.c_str()) == 0; }

std::vector<LeftJournal> leftBehind(const std::string& folder)
{
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file(ec) && entry.path().extension() == Suffix)
            found.emplace_back(entry.last_write_time(ec), path);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<LeftJournal> out;
    for (const auto& [time, path] : found) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A running process holds its journal locked for as long as it writes it.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        out.emplace_back(path, fd);
    }
    return out;
}

} // namespace journal
