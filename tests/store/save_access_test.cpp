// Nobody gains access by a save: not another user through a planted link,
// not a user the folder's access list names while the new file is written,
// not a member of a group the file leaves. The savers are unprivileged.
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/save/SaveSystemCalls.h"
#include "tests/store/SaveFixture.h"
#include "tests/support/CaseName.h"
#include "tests/support/Unprivileged.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t Alice = 1234, Bob = 1235, Saver = 1236, OldGroupMember = 1237, NewGroupMember = 1238,
                Stranger = 1239;

// Each entry of the access list of `path` with what it grants in effect (a
// named entry or the group's only within the mask).
std::map<std::string, mode_t> grants(const std::string& path)
{
    std::map<std::string, mode_t> out;
    acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
    if (!acl)
        return out;
    mode_t mask = 07;
    std::vector<std::pair<std::string, mode_t>> masked;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag {};
        acl_permset_t set = nullptr;
        acl_get_tag_type(entry, &tag);
        acl_get_permset(entry, &set);
        const mode_t bits = (acl_get_perm(set, ACL_READ) == 1 ? 4 : 0) | (acl_get_perm(set, ACL_WRITE) == 1 ? 2 : 0)
            | (acl_get_perm(set, ACL_EXECUTE) == 1 ? 1 : 0);
        std::string name = std::to_string(tag);
        if (tag == ACL_USER || tag == ACL_GROUP) {
            void* qualifier = acl_get_qualifier(entry);
            name += ":" + std::to_string(*static_cast<id_t*>(qualifier));
            acl_free(qualifier);
        }
        if (tag == ACL_MASK)
            mask = bits;
        else if (tag == ACL_USER || tag == ACL_GROUP || tag == ACL_GROUP_OBJ)
            masked.emplace_back(name, bits);
        else
            out[name] = bits;
    }
    for (const auto& [name, bits] : masked)
        out[name] = bits & mask;
    acl_free(acl);
    return out;
}

std::string tempIn(const std::string& folder)
{
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".tabvane-save-") != std::string::npos)
            return e.path().string();
    return {};
}

// A folder of the saver's whose default access list names a user, daemon,
// whom the files saved in it grant nothing.
class SaveIntoAFolderWithADefaultList : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::chown(m_dir.path().c_str(), unprivilegedUid(), static_cast<gid_t>(-1)), 0);
        if (!setAclText(m_dir.path(), "u::rwx,u:daemon:rwx,g::rwx,m::rwx,o::r", ACL_TYPE_DEFAULT))
            GTEST_SKIP() << "this file system keeps no access lists";
    }

    TempDir m_dir;
};

struct OwnerCase {
    const char* label;
    uid_t owner;
    mode_t mode;
    mode_t after;
};

class NobodyGainsAccess : public testing::TestWithParam<OwnerCase> {};

const OwnerCase ownerCases[] = {{"Alice 0646", Alice, 0646, 0644}, {"Alice 0606", Alice, 0606, 0600},
                                {"Alice 0666", Alice, 0666, 0666}, {"Alice 0066", Alice, 0066, 0600},
                                {"saver 0646", Saver, 0646, 0644}, {"saver 0604", Saver, 0604, 0600},
                                {"saver 0626", Saver, 0626, 0622}};

} // namespace

// A link another user put in a sticky folder everybody writes to is not
// followed, whether it leads to a file or to none; the saver's own is.
TEST(SaveAccess, ALinkAnotherUserPlantedInASharedFolderIsNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs two users";
    const struct {
        const char* name;
        const char* to; // in the test's folder
        uid_t owner;
        bool followed;
    } links[] = {{"report.csv", "bob/precious.csv", Alice, false},
                 {"dangling.csv", "bob/new.csv", Alice, false},
                 {"own.csv", "bob/own.csv", Bob, true}};
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    const std::string shared = dir.path() + "/shared", home = dir.path() + "/bob";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms(01777));
    fs::create_directory(home);
    ASSERT_EQ(::chown(home.c_str(), Bob, Bob), 0);
    const std::string precious = dir.file("bob/precious.csv", Original);
    ASSERT_EQ(::chown(precious.c_str(), Bob, Bob), 0);
    const std::string source = dir.file("bob/source.csv", Original);
    ASSERT_EQ(::chown(source.c_str(), Bob, Bob), 0);
    for (const auto& c : links) {
        SCOPED_TRACE(c.name);
        const std::string to = dir.path() + "/" + c.to, link = shared + "/" + c.name;
        fs::create_symlink(to, link);
        ASSERT_EQ(::lchown(link.c_str(), c.owner, c.owner), 0);
        runAs(Bob, Bob, [&] {
            CSVDBS s;
            CHILD_CHECK(loadFrom(s, source));
            s.PutValue(1, 2, "43");
            s.FileName(link);
            CHILD_CHECK(s.WriteFile() == c.followed);
            CHILD_CHECK(c.followed || s.LastFileError().find("another user") != std::string::npos);
        });
        EXPECT_EQ(readFile(precious), Original);
        EXPECT_EQ(fs::exists(to) && to != precious, c.followed);
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

// The folder's default list names a user the file never granted anything:
// at no step of the save may that user open the new file.
TEST_F(SaveIntoAFolderWithADefaultList, TheNewFileNeverGrantsMoreThanItsFinalPermissions)
{
    // Owner, group and others; and a named user.
    const char* const lists[] = {"u::rw,g::r,o::---", "u::rw,u:bin:r,g::r,m::r,o::---"};
    for (const char* acl : lists) {
        SCOPED_TRACE(acl);
        const std::string path = m_dir.file(acl == lists[0] ? "t.csv" : "named.csv", Original);
        ASSERT_TRUE(setAclText(path, acl));
        ASSERT_EQ(::chown(path.c_str(), unprivilegedUid(), ::geteuid() == 0 ? NobodyId : ::getegid()), 0);
        const std::map<std::string, mode_t> final = grants(path);
        runUnprivileged([&] {
            int looks = 0;
            setSaveFaultHook([&](SaveStep step) {
                const std::string temp = tempIn(m_dir.path());
                if (step == SaveStep::OpenFolder || step == SaveStep::Open || temp.empty())
                    return 0;
                ++looks;
                for (const auto& [entry, bits] : grants(temp)) {
                    const auto kept = final.find(entry);
                    if ((bits & ~(kept == final.end() ? 0 : kept->second)) != 0) {
                        std::fprintf(stderr, "at %s, entry %s grants %o\n", saveStepName(step), entry.c_str(), bits);
                        std::_Exit(1);
                    }
                }
                return 0;
            });
            const std::string error = [&] {
                CSVDBS s;
                if (!loadFrom(s, path))
                    return s.LastFileError();
                s.PutValue(1, 2, "43");
                return s.WriteFile() ? std::string() : s.LastFileError();
            }();
            setSaveFaultHook({});
            CHILD_CHECK(error.empty());
            CHILD_CHECK(looks >= 4);
        });
        EXPECT_EQ(grants(path), final);
        EXPECT_EQ(readFile(path), Saved);
    }
}

// Deleted since it was read, it comes back with its mode alone.
TEST_F(SaveIntoAFolderWithADefaultList, AFileDeletedSinceItWasReadComesBackWithItsModeAlone)
{
    const std::string path = m_dir.file("t.csv", Original);
    ASSERT_TRUE(setAclText(path, "u::rw,g::---,o::---"));
    CSVDBS s;
    ASSERT_TRUE(loadFrom(s, path));
    fs::remove(path);
    s.SaveOverWhatIsOnDisk();
    ASSERT_TRUE(s.WriteFile()) << s.LastFileError();
    EXPECT_EQ(aclText(path), "u::rw-,g::---,o::---");
}

// A file of Alice's in group 1235 (which the saver is not in), or the saver's
// own in that group: the saver may write it, but cannot keep the owner or
// the group. Whoever could do less before does no more now.
TEST_P(NobodyGainsAccess, WhenTheOwnerOrGroupCannotBeKept)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs users of every class";
    struct Who {
        const char* role;
        uid_t uid;
        gid_t gid;
    };
    const std::vector<Who> everyone = {{"old owner", Alice, Alice}, {"old group", OldGroupMember, Bob},
                                       {"new group", NewGroupMember, Saver}, {"others", Stranger, Stranger},
                                       {"saver", Saver, Saver}};
    const OwnerCase& c = GetParam();
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    ASSERT_EQ(::chown(dir.path().c_str(), Saver, Saver), 0);
    const std::string path = dir.file("t.csv", Original);
    ASSERT_EQ(::chown(path.c_str(), c.owner, Bob), 0);
    ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    std::vector<std::pair<bool, bool>> before;
    for (const Who& w : everyone)
        before.emplace_back(mayOpenAs(w.uid, w.gid, path, O_RDONLY), mayOpenAs(w.uid, w.gid, path, O_WRONLY));
    runAs(Saver, Saver, [&] {
        CSVDBS s;
        CHILD_CHECK(loadFrom(s, path));
        s.PutValue(1, 2, "43");
        CHILD_CHECK(s.WriteFile());
    });
    EXPECT_EQ(readFile(path), Saved);
    EXPECT_EQ(modeOf(path), c.after);
    for (std::size_t i = 0; i < everyone.size(); ++i) {
        const Who& w = everyone[i];
        EXPECT_LE(mayOpenAs(w.uid, w.gid, path, O_RDONLY), before[i].first) << w.role << " gained reading";
        EXPECT_LE(mayOpenAs(w.uid, w.gid, path, O_WRONLY), before[i].second) << w.role << " gained writing";
    }
}

INSTANTIATE_TEST_SUITE_P(SaveAccess, NobodyGainsAccess, testing::ValuesIn(ownerCases), ByLabel());
