// Failures of the file system and of resources: each must end in a false
// result with the user's file and the store's contents as they were.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "tests/store/SaveFixture.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/Unprivileged.h"

namespace fs = std::filesystem;

namespace {

// A folder the unprivileged child may enter, holding files it may or may not
// touch as each test arranges.
class Faults : public ::testing::Test {
protected:
    Faults() { fs::permissions(m_dir.path(), fs::perms(0755)); }

    std::string file(const std::string& name, const std::string& text, mode_t mode, bool ownedByChild)
    {
        const std::string path = m_dir.file(name, text);
        ::chmod(path.c_str(), mode);
        if (ownedByChild) {
            EXPECT_EQ(::chown(path.c_str(), unprivilegedUid(), static_cast<gid_t>(-1)), 0);
        }
        return path;
    }
    std::string folder(const std::string& name, mode_t mode, bool ownedByChild)
    {
        const std::string path = m_dir.path() + "/" + name;
        fs::create_directory(path);
        ::chmod(path.c_str(), mode);
        if (ownedByChild) {
            EXPECT_EQ(::chown(path.c_str(), unprivilegedUid(), static_cast<gid_t>(-1)), 0);
        }
        return path;
    }
    int entries(const std::string& path) const
    {
        int n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(path))
            ++n;
        return n;
    }

    TempDir m_dir;
};

} // namespace

TEST_F(Faults, UnreadableFileFailsAndKeepsTheStore)
{
    const std::string good = file("good.csv", Original, 0644, false);
    const std::string secret = file("secret.csv", "A\r\n1\r\n", 0600, false);
    if (::geteuid() != 0)
        ::chmod(secret.c_str(), 0); // the child is this user: take the permission away
    runUnprivileged([&] {
        CSVDBS s;
        CHILD_CHECK(loadFrom(s, good));
        CHILD_CHECK(!loadFrom(s, secret));
        CHILD_CHECK(!s.LastFileError().empty());
        CHILD_CHECK(s.GetFieldList().at(0) == "Name" && s.ValueAt(1, 2) == "42");
    });
}

TEST_F(Faults, SaveRefusedByPermissionsLeavesFilesAlone)
{
    const std::string lockedFolder = folder("locked", 0755, false);
    const std::string inLocked = lockedFolder + "/data.csv";
    {
        std::ofstream(inLocked, std::ios::binary) << Original;
    }
    ::chmod(inLocked.c_str(), 0666);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(inLocked.c_str(), NobodyId, static_cast<gid_t>(-1)), 0);
    } else {
        ::chmod(lockedFolder.c_str(), 0555);
    }
    const std::string openFolder = folder("open", 0755, true);
    const std::string readOnly = openFolder + "/readonly.csv";
    {
        std::ofstream(readOnly, std::ios::binary) << Original;
    }
    ::chmod(readOnly.c_str(), 0444);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(readOnly.c_str(), NobodyId, static_cast<gid_t>(-1)), 0);
    }

    runUnprivileged([&] {
        CSVDBS s;
        CHILD_CHECK(loadFrom(s, inLocked));
        s.PutValue(1, 2, "43");
        CHILD_CHECK(!s.WriteFile()); // the folder takes no new file
        CHILD_CHECK(!s.LastFileError().empty());
        CHILD_CHECK(loadFrom(s, readOnly));
        s.PutValue(1, 2, "43");
        CHILD_CHECK(!s.WriteFile()); // renaming over a read-only file would be possible: refused
        CHILD_CHECK(s.ChangesMade());
    });
    EXPECT_EQ(readFile(inLocked), Original);
    EXPECT_EQ(readFile(readOnly), Original);
    EXPECT_EQ(entries(lockedFolder), 1);
    EXPECT_EQ(entries(openFolder), 1);
    ::chmod(lockedFolder.c_str(), 0755);
}

TEST_F(Faults, SaveCutShortByAFileSizeLimit)
{
    const std::string work = folder("work", 0755, true);
    const std::string path = work + "/big.csv";
    {
        std::ofstream(path, std::ios::binary) << Original;
    }
    ASSERT_EQ(::chown(path.c_str(), unprivilegedUid(), static_cast<gid_t>(-1)), 0);

    runUnprivileged([&] {
        CSVDBS s;
        CHILD_CHECK(loadFrom(s, path));
        for (int i = 0; i < 5000; ++i) {
            CHILD_CHECK(s.NewRecord());
            s.PutValue(s.RecordCount(), 1, std::string(100, 'x'));
        }
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        CHILD_CHECK(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        CHILD_CHECK(!s.WriteFile());
        CHILD_CHECK(!s.LastFileError().empty());
        CHILD_CHECK(s.ChangesMade());
    });
    EXPECT_EQ(readFile(path), Original);
    EXPECT_EQ(entries(work), 1) << "the unfinished new file is removed";
}

TEST_F(Faults, LoadOutOfMemoryKeepsTheStore)
{
    if (UnderAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer does not run under an address-space limit";
    const std::string good = file("good.csv", Original, 0644, false);
    std::string many = "V\r\n";
    for (int i = 0; i < 4000000; ++i)
        many += "1\r\n";
    const std::string huge = file("huge.csv", many, 0644, false);
    many.clear();
    many.shrink_to_fit();
    runUnprivileged([&] {
        CSVDBS s;
        CHILD_CHECK(loadFrom(s, good));
        // Room for the file's bytes, not for its four million values.
        rlimit limit{};
        CHILD_CHECK(::getrlimit(RLIMIT_AS, &limit) == 0);
        std::ifstream status("/proc/self/status");
        std::string line;
        long vmKB = 0;
        while (std::getline(status, line))
            if (line.rfind("VmSize:", 0) == 0)
                vmKB = std::stol(line.substr(7));
        limit.rlim_cur = static_cast<rlim_t>(vmKB) * 1024 + (40u << 20);
        CHILD_CHECK(::setrlimit(RLIMIT_AS, &limit) == 0);
        CHILD_CHECK(!loadFrom(s, huge));
        CHILD_CHECK(!s.LastFileError().empty());
        CHILD_CHECK(s.RecordCount() == 1 && s.ValueAt(1, 1) == "Bob");
    });
}

TEST_F(Faults, RootSavingAnotherUsersFileKeepsOwnerAndMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can save a file that belongs to someone else";
    const std::string path = file("theirs.csv", Original, 0640, true);
    CSVDBS s;
    ASSERT_TRUE(loadFrom(s, path));
    s.PutValue(1, 2, "43");
    ASSERT_TRUE(s.WriteFile());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, NobodyId);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(path), Saved);
}

TEST_F(Faults, FileReplacedBetweenLoadAndSave)
{
    const std::string path = file("data.csv", Original, 0644, false);
    CSVDBS s;
    ASSERT_TRUE(loadFrom(s, path));
    // Replaced by a folder: the save fails and the folder stays.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_FALSE(s.WriteFile());
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);
    // Replaced by a pipe: neither loading nor saving touches it, nor blocks.
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    EXPECT_FALSE(s.WriteFile());
    CSVDBS other;
    EXPECT_FALSE(loadFrom(other, path));
    EXPECT_EQ(fs::status(path).type(), fs::file_type::fifo);
    fs::remove(path);
    // Replaced by another file: saving writes the store's contents over it
    // once agreed.
    std::ofstream(path, std::ios::binary) << "Other\r\nx\r\n";
    EXPECT_FALSE(s.WriteFile());
    EXPECT_TRUE(s.SaveFoundChange());
    s.SaveOverWhatIsOnDisk();
    EXPECT_TRUE(s.WriteFile());
    EXPECT_EQ(readFile(path), Original);
}

TEST(Progress, NestedScopeRestoresTheCallbackItReplaced)
{
    CSVDBS s;
    int outerCalls = 0;
    {
        const ProgressScope outer(s, [&](std::int64_t, std::int64_t) { ++outerCalls; });
        {
            const ProgressScope inner(s, [](std::int64_t, std::int64_t) {});
        }
        ASSERT_TRUE(static_cast<bool>(s.progressCallback())) << "an inner scope must not clear the outer one";
        s.progressCallback()(1, 2);
        EXPECT_EQ(outerCalls, 1);
    }
    EXPECT_FALSE(static_cast<bool>(s.progressCallback())) << "no callback is left behind";
}
