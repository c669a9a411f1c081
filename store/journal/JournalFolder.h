#pragma once

#include <string>
#include <utility>
#include <vector>

// Where journals live, and those that processes now ended left behind.
namespace journal {

// $XDG_STATE_HOME/tabvane, or ~/.local/state/tabvane.
std::string folder();
// Makes `path` if it is not there, readable by its owner only; false if it cannot be made.
bool makeFolder(const std::string& path);
constexpr const char* Suffix = ".journal";

// A journal no running process holds, locked by this one while it decides,
// so that a second program starting at the same time does not offer it too.
class LeftJournal {
public:
    LeftJournal(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    ~LeftJournal();
    LeftJournal(LeftJournal&& other) noexcept;
    LeftJournal& operator=(LeftJournal&&) = delete;
    LeftJournal(const LeftJournal&) = delete;

    const std::string& path() const { return m_path; }
    // Removes the file; false when it cannot be.
    bool remove();

private:
    std::string m_path;
    int m_fd = -1;
};

// The journals in `folder` that no running process holds, newest first.
std::vector<LeftJournal> leftBehind(const std::string& folder);

} // namespace journal
