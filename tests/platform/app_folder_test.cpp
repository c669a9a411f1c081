// Where the program finds its data and its helper programs, in the build tree
// and once installed.
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/AppFolder.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

TEST(AppFolderTest, BuildTreeAndInstalledLayoutsAndFilesInsideTheDataFolder)
{
    TempDir dir;
    const std::string build = dir.path() + "/build/bin";
    const std::string prefix = dir.path() + "/usr";
    fs::create_directories(build);
    fs::create_directories(prefix + "/bin");
    fs::create_directories(prefix + "/share/tabvane/Samples");
    fs::create_directories(prefix + "/libexec/tabvane");
    dir.file("build/bin/tabvane-print", "");
    dir.file("usr/libexec/tabvane/tabvane-print", "");

    EXPECT_EQ(applicationFolderFor(build), build);
    EXPECT_EQ(helperProgramFor(build, "tabvane-print"), build + "/tabvane-print");
    EXPECT_EQ(applicationFolderFor(prefix + "/bin"), prefix + "/share/tabvane");
    EXPECT_EQ(helperProgramFor(prefix + "/bin", "tabvane-print"), prefix + "/libexec/tabvane/tabvane-print");
    // Neither there: the installed place is named, and the caller finds nothing in it.
    EXPECT_EQ(helperProgramFor(build, "other"), dir.path() + "/build/libexec/tabvane/other");

    // Files inside the data folder, through links too, and no others.
    const std::string data = prefix + "/share/tabvane";
    fs::create_directories(prefix + "/share/tabvane-other");
    const std::string sample = dir.file("usr/share/tabvane/Samples/sample1.csv", "a\r\n1\r\n");
    fs::create_symlink(sample, dir.path() + "/link.csv");
    fs::create_directory_symlink(data, dir.path() + "/datalink");

    const std::vector<std::pair<std::string, bool>> cases = {
        {sample, true},
        {data + "/Samples/new.csv", true},
        {data + "/../tabvane/Samples/sample1.csv", true},
        {dir.path() + "/link.csv", true},
        {dir.path() + "/datalink/Samples/sample1.csv", true},
        {prefix + "/share/tabvane-other/sample1.csv", false},
        {prefix + "/share/sample1.csv", false},
        {data, false},
        {"", false},
    };
    for (const auto& [path, inside] : cases)
        EXPECT_EQ(isFileInFolder(path, data), inside) << path;
}
