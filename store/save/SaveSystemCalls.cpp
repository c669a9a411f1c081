#include "store/save/SaveSystemCalls.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <stdio.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

SaveFaultHook& hook()
{
    static SaveFaultHook installed;
    return installed;
}

// True when the hook asks this step to fail; errno is then set.
bool injected(SaveStep step)
{
    if (!hook())
        return false;
    const int error = hook()(step);
    if (error == 0)
        return false;
    errno = error;
    return true;
}

} // namespace

const char* saveStepName(SaveStep step)
{
    switch (step) {
    case SaveStep::OpenFolder: return "open folder";
    case SaveStep::Open: return "open";
    case SaveStep::Write: return "write";
    case SaveStep::Fsync: return "fsync";
    case SaveStep::Fchown: return "fchown";
    case SaveStep::Fchmod: return "fchmod";
    case SaveStep::SetAcl: return "set ACL";
    case SaveStep::Fsetxattr: return "fsetxattr";
    case SaveStep::Rename: return "rename";
    case SaveStep::FolderFsync: return "folder fsync";
    }
    return "?";
}

void setSaveFaultHook(SaveFaultHook h) { hook() = std::move(h); }

namespace savecall {

int openFolder(const std::string& folder)
{
    if (injected(SaveStep::OpenFolder))
        return -1;
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int openAt(int dirFd, const char* name, int flags, mode_t mode)
{
    if (injected(SaveStep::Open))
        return -1;
    return ::openat(dirFd, name, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (injected(SaveStep::Write))
        return -1;
    return ::write(fd, data, size);
}

int fsync(int fd)
{
    if (injected(SaveStep::Fsync))
        return -1;
    return ::fsync(fd);
}

int fchown(int fd, uid_t uid, gid_t gid)
{
    if (injected(SaveStep::Fchown))
        return -1;
    return ::fchown(fd, uid, gid);
}

int fchmod(int fd, mode_t mode)
{
    if (injected(SaveStep::Fchmod))
        return -1;
    return ::fchmod(fd, mode);
}

int setAcl(int fd, void* acl)
{
    if (injected(SaveStep::SetAcl))
        return -1;
    return ::acl_set_fd(fd, static_cast<acl_t>(acl));
}

int fsetxattr(int fd, const char* name, const void* value, size_t size)
{
    if (injected(SaveStep::Fsetxattr))
        return -1;
    return ::fsetxattr(fd, name, value, size, 0);
}

int renameAt(int dirFd, const char* from, const char* to, bool exchange)
{
    if (injected(SaveStep::Rename))
        return -1;
    return ::renameat2(dirFd, from, dirFd, to, exchange ? RENAME_EXCHANGE : 0);
}

int fsyncFolder(int dirFd)
{
    if (injected(SaveStep::FolderFsync))
        return -1;
    return ::fsync(dirFd);
}

} // namespace savecall
