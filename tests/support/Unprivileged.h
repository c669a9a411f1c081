#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <gtest/gtest.h>

// Permission tests mean nothing as root, who may read and write anything. These
// run the test body in a child process that has dropped to the "nobody"
// account when the tests run as root (as in CI), and as the current user
// otherwise. The child reports through its exit code and stderr.
constexpr uid_t NobodyId = 65534;

inline uid_t unprivilegedUid() { return ::geteuid() == 0 ? NobodyId : ::geteuid(); }

// Inside the body: a failed check ends the child with a message.
#define CHILD_CHECK(cond)                                                                  \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);  \
            std::_Exit(1);                                                                 \
        }                                                                                  \
    } while (0)

// Runs `body` in a child process as user `uid` in group `gid` alone (the
// caller must be root), or as the caller when `uid` is the caller's own.
inline void runAs(uid_t uid, gid_t gid, const std::function<void()>& body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() != uid) {
            CHILD_CHECK(::setgroups(0, nullptr) == 0);
            CHILD_CHECK(::setgid(gid) == 0);
            CHILD_CHECK(::setuid(uid) == 0);
        }
        body();
        std::fflush(nullptr);
        std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a check in the child failed (see above)";
}

// Whether user `uid`, in group `gid` alone, may open `path` with `flags`
// (the caller must be root).
inline bool mayOpenAs(uid_t uid, gid_t gid, const std::string& path, int flags)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            std::_Exit(2);
        std::_Exit(::open(path.c_str(), flags) >= 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline void runUnprivileged(const std::function<void()>& body)
{
    runAs(unprivilegedUid(), ::geteuid() == 0 ? NobodyId : ::getegid(), body);
}
