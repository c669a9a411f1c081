// What a save keeps and what it refuses: access lists and attributes, long
// names, link loops, leftovers of killed saves, files changed by others.
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "store/save/AtomicFileWriter.h"
#include "store/save/SaveSystemCalls.h"
#include "store/save/TempFileName.h"
#include "tests/store/SaveFixture.h"
#include "tests/support/CaseName.h"
#include "tests/support/Unprivileged.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t DaemonId = 1;

// Loads `path`, changes one value and saves; the store's reason on failure.
std::string loadChangeSave(const std::string& path)
{
    CSVDBS s;
    if (!loadFrom(s, path))
        return "load: " + s.LastFileError();
    s.PutValue(1, 2, "43");
    return s.WriteFile() ? std::string() : s.LastFileError();
}

void setAge(const std::string& path, int secondsAgo)
{
    const timespec when[2] = {{::time(nullptr) - secondsAgo, 0}, {::time(nullptr) - secondsAgo, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), when, 0);
}

// A name of 240 bytes in characters of three.
std::string cjk()
{
    std::string name;
    for (int i = 0; i < 80; ++i)
        name += "\xe8\xa1\xa8";
    return name;
}

struct LinkCase {
    const char* label;
    const char* path; // in the test's folder
    const char* says;
};

class LinkLoopsAndEndlessChains : public testing::TestWithParam<LinkCase> {};

const LinkCase linkCases[] = {{"two links to each other", "a.csv", "loop"}, {"a link to itself", "self.csv", "loop"},
                              {"45 links in a chain", "chain44", "chain"},
                              {"a folder linked to itself", "loop/x.csv", "loop"}};

} // namespace

TEST(SaveKeeps, AccessListAndAttributesTravelWithTheFile)
{
    TempDir dir;
    const std::string path = dir.file("t.csv", Original);
    ::chmod(path.c_str(), 0600);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 0, NobodyId), 0); // root:nogroup
    }
    if (!setAclText(path, "u::rw,u:daemon:rw,g::---,m::rw,o::---"))
        GTEST_SKIP() << "this file system keeps no access lists";
    const bool userAttributes = ::setxattr(path.c_str(), "user.origin", "survey", 6, 0) == 0;
    const std::string aclBefore = aclText(path);
    const mode_t modeBefore = modeOf(path);

    EXPECT_EQ(loadChangeSave(path), "");
    EXPECT_EQ(readFile(path), Saved);
    EXPECT_EQ(aclText(path), aclBefore);
    EXPECT_EQ(modeOf(path), modeBefore) << "the group bits still hold the list's mask";
    if (userAttributes) {
        EXPECT_EQ(xattrOf(path, "user.origin"), "survey");
    }
    if (::geteuid() == 0) {
        fs::permissions(dir.path(), fs::perms(0755));
        EXPECT_FALSE(mayOpenAs(NobodyId, NobodyId, path, O_RDONLY)) << "nogroup gained no access";
        EXPECT_TRUE(mayOpenAs(DaemonId, DaemonId, path, O_RDWR)) << "daemon kept its access";
    }
}

TEST(SaveKeeps, NoAccessListIsInheritedThatTheFileNeverHad)
{
    TempDir dir;
    if (!setAclText(dir.path(), "u::rwx,u:daemon:rwx,g::rwx,m::rwx,o::---", ACL_TYPE_DEFAULT))
        GTEST_SKIP() << "this file system keeps no access lists";
    const std::string path = dir.file("t.csv", Original);
    ASSERT_TRUE(setAclText(path, "u::rw,g::---,o::---")); // a plain 0600 file in that folder
    EXPECT_EQ(loadChangeSave(path), "");
    EXPECT_EQ(aclText(path), "u::rw-,g::---,o::---");
    EXPECT_EQ(modeOf(path), 0600u);
}

TEST(SaveKeeps, DeletedFileComesBackWithItsModeAndChangesAreSeen)
{
    TempDir dir;
    const std::string path = dir.file("t.csv", Original);
    ::chmod(path.c_str(), 0600);
    CSVDBS s;
    ASSERT_TRUE(loadFrom(s, path));
    EXPECT_FALSE(s.FileChangedOnDisk());

    // Another program rewrites it.
    std::ofstream(path, std::ios::binary) << "Other,Text\r\nx,y\r\n";
    EXPECT_TRUE(s.FileChangedOnDisk());
    EXPECT_EQ(s.ChangeOnDisk(), DiskChange::Changed);
    s.PutValue(1, 2, "43");
    EXPECT_FALSE(s.WriteFile()) << "only once the user agrees";
    EXPECT_TRUE(s.SaveFoundChange());
    s.SaveOverWhatIsOnDisk();
    ASSERT_TRUE(s.WriteFile()) << s.LastFileError();
    EXPECT_FALSE(s.FileChangedOnDisk()) << "a save makes the new file the known one";

    // Rewritten in place at the same size, its time put back (cp -p, touch
    // -r): the change time still tells.
    {
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        std::string text = readFile(path);
        text[text.size() - 3] = 'X';
        std::ofstream(path, std::ios::binary) << text;
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        EXPECT_EQ(s.ChangeOnDisk(), DiskChange::Changed);
        EXPECT_FALSE(s.WriteFile());
        s.SaveOverWhatIsOnDisk();
        ASSERT_TRUE(s.WriteFile()) << s.LastFileError();
        EXPECT_FALSE(s.FileChangedOnDisk());
    }

    // Replaced by another file of the same size and time: still another file.
    const std::string other = dir.file("other.csv", Saved);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    fs::rename(other, path);
    EXPECT_EQ(s.ChangeOnDisk(), DiskChange::Changed);

    // Deleted: a save brings it back with the mode it had, whatever the umask.
    fs::remove(path);
    EXPECT_EQ(s.ChangeOnDisk(), DiskChange::Deleted);
    const mode_t oldMask = ::umask(022);
    s.SaveOverWhatIsOnDisk();
    ASSERT_TRUE(s.WriteFile()) << s.LastFileError();
    ::umask(oldMask);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(readFile(path), Saved);
    EXPECT_FALSE(s.FileChangedOnDisk());
    EXPECT_EQ(temporariesIn(dir.path()), 0);
}

// Two saves of one file at the same moment, in two processes: the second
// waits for the first, then finds the file changed and saves nothing until
// agreed. A file that another program (which takes no lock) puts in place
// during a save is kept aside under a name of its own, and the user told.
TEST(SaveKeeps, SavesOfOneFileRunOneAfterTheOther)
{
    TempDir dir;
    const std::string path = dir.file("t.csv", Original);
    CSVDBS first, second;
    ASSERT_TRUE(loadFrom(first, path));
    ASSERT_TRUE(loadFrom(second, path));
    first.PutValue(1, 2, "1");
    second.PutValue(1, 2, "2");
    pid_t other = -1;
    setSaveFaultHook([&](SaveStep step) {
        if (step != SaveStep::Rename || other >= 0)
            return 0;
        other = ::fork();
        if (other == 0) {
            // A program of its own: not one that shares the first save's
            // open files, and so its locks. The hook stands aside, as
            // `other` is set.
            ::close_range(3, ~0u, 0);
            std::_Exit(second.WriteFile() ? 0 : second.SaveFoundChange() ? 3 : 1);
        }
        ::usleep(300000);
        EXPECT_EQ(::waitpid(other, nullptr, WNOHANG), 0) << "the second save waits for the first";
        return 0;
    });
    EXPECT_TRUE(first.WriteFile()) << first.LastFileError();
    setSaveFaultHook({});
    int status = 0;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_EQ(WEXITSTATUS(status), 3) << "the second save found the first one's file";
    EXPECT_EQ(readFile(path), "Name,Age\r\nBob,1\r\n");
    EXPECT_EQ(temporariesIn(dir.path()), 0);
    // In this process the second store meets the same, and saves once agreed.
    EXPECT_FALSE(second.WriteFile());
    EXPECT_TRUE(second.SaveFoundChange());
    second.SaveOverWhatIsOnDisk();
    ASSERT_TRUE(second.WriteFile()) << second.LastFileError();
    EXPECT_EQ(readFile(path), "Name,Age\r\nBob,2\r\n");

    const std::string theirs = dir.file("theirs.csv", "Theirs\r\n");
    setSaveFaultHook([&](SaveStep step) {
        if (step == SaveStep::Rename && fs::exists(theirs))
            fs::rename(theirs, path);
        return 0;
    });
    second.PutValue(1, 2, "3");
    EXPECT_TRUE(second.WriteFile()) << second.LastFileError();
    setSaveFaultHook({});
    EXPECT_EQ(readFile(path), "Name,Age\r\nBob,3\r\n");
    EXPECT_EQ(readFile(dir.path() + "/t (replaced while saving).csv"), "Theirs\r\n");
    EXPECT_NE(second.SaveNotice().find("t (replaced while saving).csv"), std::string::npos) << second.SaveNotice();
    EXPECT_EQ(temporariesIn(dir.path()), 0);
}

// Any name that loads also saves, through a temporary of its own.
TEST(SaveKeeps, LongNamesSaveThroughTemporariesOfTheirOwn)
{
    TempDir dir;
    for (const std::string& name : {std::string(251, 'a') + ".csv", cjk() + ".csv", std::string(241, 'b') + ".csv"}) {
        SCOPED_TRACE(name.size());
        const std::string path = dir.file(name, Original);
        EXPECT_EQ(loadChangeSave(path), "");
        EXPECT_EQ(readFile(path), Saved);
        // The exports write through the same writer.
        AtomicFileWriter file(path);
        ASSERT_TRUE(file.open()) << file.error();
        ASSERT_TRUE(file.write("x\r\n") && file.commit()) << file.error();
        EXPECT_EQ(readFile(path), "x\r\n");
        fs::remove(path);
        EXPECT_EQ(temporariesIn(dir.path()), 0);
    }
    // Two long names that share their start have temporaries of their own.
    const std::string a = std::string(250, 'c') + "1.csv", b = std::string(250, 'c') + "2.csv";
    EXPECT_NE(tempfile::prefixFor(a, 255), tempfile::prefixFor(b, 255));
    EXPECT_LE(tempfile::freshName(a, 255).size(), 255u);
    EXPECT_FALSE(tempfile::isTempOf(tempfile::freshName(a, 255), b, 255));
    // A shortened name is never cut inside a character.
    const std::string shortened = tempfile::prefixFor(cjk() + cjk() + ".csv", 255);
    EXPECT_EQ((shortened.size() - 1 - 14 - 9) % 3, 0u);
}

TEST_P(LinkLoopsAndEndlessChains, AreRefused)
{
    const LinkCase& c = GetParam();
    TempDir dir;
    const std::string data = dir.file("data.csv", Original);
    fs::create_symlink("b.csv", dir.path() + "/a.csv");
    fs::create_symlink("a.csv", dir.path() + "/b.csv");
    fs::create_symlink("self.csv", dir.path() + "/self.csv");
    std::string chainStart = data;
    for (int i = 0; i < 45; ++i) {
        const std::string link = dir.path() + "/chain" + std::to_string(i);
        fs::create_symlink(fs::path(chainStart).filename(), link);
        chainStart = link;
    }
    fs::create_symlink("loop", dir.path() + "/loop");

    const std::string path = dir.path() + "/" + c.path;
    CSVDBS s;
    ASSERT_TRUE(loadFrom(s, data));
    s.FileName(path);
    std::error_code ec;
    const fs::path before = fs::is_symlink(path, ec) ? fs::read_symlink(path) : fs::path();
    EXPECT_FALSE(s.WriteFile());
    EXPECT_NE(s.LastFileError().find(c.says), std::string::npos) << s.LastFileError();
    if (!before.empty()) {
        EXPECT_TRUE(fs::is_symlink(path)) << "the link stays a link";
        EXPECT_EQ(fs::read_symlink(path), before);
    }
    EXPECT_EQ(readFile(data), Original);
    EXPECT_EQ(temporariesIn(dir.path()), 0);
}

INSTANTIATE_TEST_SUITE_P(SaveKeeps, LinkLoopsAndEndlessChains, testing::ValuesIn(linkCases), ByLabel());

TEST(SaveKeeps, LeftoversOfAKilledSaveAreRemovedOthersAreNot)
{
    TempDir dir;
    const std::string path = dir.file("data.csv", Original);
    // A save killed just before its rename leaves its temporary.
    const pid_t child = ::fork();
    if (child == 0) {
        setSaveFaultHook([](SaveStep step) -> int {
            if (step == SaveStep::Rename)
                std::_Exit(0);
            return 0;
        });
        loadChangeSave(path);
        std::_Exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(temporariesIn(dir.path()), 1);
    std::string killed;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.path().filename().string().find(".tabvane-save-") != std::string::npos)
            killed = e.path().string();
    EXPECT_EQ(fs::path(killed).filename().string().rfind(".data.csv.tabvane-save-", 0), 0u)
        << "the name says whose and what it is";
    setAge(killed, 3600); // left by an earlier run

    const long nameMax = 255;
    const auto leftover = [&](const std::string& of, int age) {
        const std::string p = dir.path() + "/" + tempfile::freshName(of, nameMax);
        std::ofstream(p) << "partial";
        setAge(p, age);
        return p;
    };
    const std::string otherFile = leftover("other.csv", 3600);
    const std::string recent = leftover("data.csv", -3600);
    const std::string running = leftover("data.csv", 3600);
    const int lock = ::open(running.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0) << "as a running save holds it";
    std::string someoneElses;
    if (::geteuid() == 0) {
        someoneElses = leftover("data.csv", 3600);
        ASSERT_EQ(::chown(someoneElses.c_str(), NobodyId, NobodyId), 0);
    }

    EXPECT_EQ(loadChangeSave(path), "");
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(otherFile));
    EXPECT_TRUE(fs::exists(recent));
    EXPECT_TRUE(fs::exists(running));
    if (!someoneElses.empty()) {
        EXPECT_TRUE(fs::exists(someoneElses));
    }
    ::close(lock);
    EXPECT_EQ(readFile(path), Saved);
}
