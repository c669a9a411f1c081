#include "store/save/LinkTarget.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// As many links as the system itself follows in one path.
constexpr int MaxLinks = 40;
// As the system itself refuses to follow, in a sticky folder that anyone may
// write to (such as /tmp), a link that belongs neither to the folder's owner
// nor to the saving user: another user may have planted it to make this
// user's save replace a file of this user's own.
bool mayFollow(const fs::path& link, const struct stat& linkStat, std::string& error)
{
    const fs::path folder = link.has_parent_path() ? link.parent_path() : fs::path(".");
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        error = std::string("Cannot look at the folder of the symbolic link: ") + std::strerror(errno);
        return false;
    }
    const bool shared = (st.st_mode & S_ISVTX) && (st.st_mode & S_IWOTH);
    if (!shared || linkStat.st_uid == st.st_uid || linkStat.st_uid == ::geteuid())
        return true;
    error = "The file is a symbolic link that another user put in a folder everybody may write to; it may lead "
            "to a file of yours, so it is not followed, and nothing was saved. Save under another name.";
    return false;
}

} // namespace

bool resolveSaveTarget(const std::string& path, std::string& target, std::string& error)
{
    fs::path p(path);
    std::set<std::string> seen;
    for (int hops = 0; hops <= MaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            // Missing is fine (the save creates it); a loop in the folders on
            // the way, a folder that may not be entered and the like are not.
            if (errno == ENOENT) {
                target = p.string();
                return true;
            }
            error = (errno == ELOOP ? std::string("The path holds a loop of symbolic links: ")
                                    : std::string("Cannot look at the file: ")) + std::strerror(errno);
            return false;
        }
        if (!S_ISLNK(st.st_mode)) {
            target = p.string();
            return true;
        }
        if (!mayFollow(p, st, error))
            return false;
        if (!seen.insert(p.lexically_normal().string()).second) {
            error = "The file is a symbolic link that leads back to itself (a loop); it names no file to "
                    "save to, and the link was left as it is.";
            return false;
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) {
            error = "Cannot read the symbolic link: " + ec.message();
            return false;
        }
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    error = "The file is a chain of more than " + std::to_string(MaxLinks) +
            " symbolic links, too long to follow; the link was left as it is.";
    return false;
}
