#pragma once

#include <cerrno>
#include <functional>
#include <string>

#include <sys/types.h>

// The system calls that replacing a file makes, each behind a thin wrapper, so
// that a test can make any one of them fail and check that the user's file
// survives. The wrappers behave exactly as the calls unless a fault hook is
// installed.
enum class SaveStep {
    OpenFolder,
    Open,
    Write,
    Fsync,
    Fchown,
    Fchmod,
    SetAcl,
    Fsetxattr,
    Rename,
    FolderFsync,
};

const char* saveStepName(SaveStep step);

// Asked before each step; a non-zero result makes the step fail with that
// errno, without making the call. An empty hook removes the hook.
using SaveFaultHook = std::function<int(SaveStep)>;
void setSaveFaultHook(SaveFaultHook hook);

namespace savecall {

int openFolder(const std::string& folder);
int openAt(int dirFd, const char* name, int flags, mode_t mode);
ssize_t write(int fd, const void* data, size_t size);
int fsync(int fd);
int fchown(int fd, uid_t uid, gid_t gid);
int fchmod(int fd, mode_t mode);
// `acl` is libacl's acl_t; kept opaque here so that callers need no libacl.
int setAcl(int fd, void* acl);
int fsetxattr(int fd, const char* name, const void* value, size_t size);
// Swaps the two names when `exchange`, else moves `from` over `to`.
int renameAt(int dirFd, const char* from, const char* to, bool exchange);
int fsyncFolder(int dirFd);

// Repeats a call that an interrupting signal cut short. Only for calls that
// are safe to repeat: a rename is not (it may have happened).
template <typename Call>
auto retryInterrupted(Call&& call)
{
    while (true) {
        auto result = call();
        if (!(result < 0 && errno == EINTR))
            return result;
    }
}

} // namespace savecall
