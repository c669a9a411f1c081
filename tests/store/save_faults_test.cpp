// Every system call of a save fails in turn: the user's file must come out
// byte for byte as it was, with its access list and attributes, no temporary
// may stay behind, and the save must say why it failed. Runs as an
// unprivileged user, through the seam over the calls (so it also runs under
// the sanitizers, where a preloaded library would not).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "store/save/SaveSystemCalls.h"
#include "tests/store/SaveFixture.h"
#include "tests/support/CaseName.h"
#include "tests/support/Unprivileged.h"

namespace fs = std::filesystem;

namespace {

struct FaultCase {
    SaveStep step;
    int error;
};

std::string faultLabel(const FaultCase& c)
{
    return std::string(saveStepName(c.step)) + " fails with " + strerrorname_np(c.error);
}

// An interrupted call is repeated, except the rename: whether it happened is
// not known, so the save fails (and the user's file is still checked).
bool retried(const FaultCase& c) { return c.error == EINTR && c.step != SaveStep::Rename; }

} // namespace

class SaveFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SaveFaults, OriginalSurvivesEveryFailure)
{
    const FaultCase c = GetParam();
    SCOPED_TRACE(faultLabel(c));
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    const std::string folder = dir.path() + "/work";
    fs::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), unprivilegedUid(), static_cast<gid_t>(-1)), 0);

    runUnprivileged([&] {
        const std::string path = folder + "/data.csv";
        {
            std::ofstream(path, std::ios::binary) << Original;
        }
        ::chmod(path.c_str(), 0640);
        // Something of each kind to carry over, where the file system keeps it.
        const bool acl = setAclText(path, "u::rw,u:daemon:r,g::r,m::r,o::---");
        const bool attributes = ::setxattr(path.c_str(), "user.origin", "survey", 6, 0) == 0;
        if ((c.step == SaveStep::SetAcl && !acl) || (c.step == SaveStep::Fsetxattr && !attributes)) {
            std::fprintf(stderr, "skipped: the file system keeps no %s\n", saveStepName(c.step));
            return;
        }
        const std::string aclBefore = aclText(path);

        CSVDBS s;
        CHILD_CHECK(loadFrom(s, path));
        s.PutValue(1, 2, "43");
        bool fired = false;
        setSaveFaultHook([&](SaveStep step) {
            if (step != c.step || fired)
                return 0;
            fired = true;
            return c.error;
        });
        const bool written = s.WriteFile();
        setSaveFaultHook({});

        CHILD_CHECK(fired);
        CHILD_CHECK(temporariesIn(folder) == 0);
        CHILD_CHECK(aclText(path) == aclBefore);
        CHILD_CHECK(modeOf(path) == 0640);
        CHILD_CHECK(!attributes || xattrOf(path, "user.origin") == "survey");
        if (retried(c)) {
            CHILD_CHECK(written);
            CHILD_CHECK(readFile(path) == Saved);
            CHILD_CHECK(!s.ChangesMade());
        } else {
            CHILD_CHECK(!written);
            CHILD_CHECK(readFile(path) == Original);
            CHILD_CHECK(s.ChangesMade());
            CHILD_CHECK(s.LastFileError().find(std::strerror(c.error)) != std::string::npos);
        }
    });
}

namespace {

std::vector<FaultCase> everyFault()
{
    std::vector<FaultCase> cases;
    for (SaveStep step : {SaveStep::OpenFolder, SaveStep::Open, SaveStep::Write, SaveStep::Fsync, SaveStep::Fchown,
                          SaveStep::Fchmod, SaveStep::SetAcl, SaveStep::Fsetxattr, SaveStep::Rename,
                          SaveStep::FolderFsync})
        for (int error : {EIO, ENOSPC, EINTR})
            cases.push_back({step, error});
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(EveryCall, SaveFaults, ::testing::ValuesIn(everyFault()),
                         [](const auto& info) { return caseName(faultLabel(info.param)); });
