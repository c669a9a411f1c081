#include "platform/AppFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Set by the build from the install folders, relative to the one that holds
// the executable.
const char* const InstalledData = TABVANE_DATA_FROM_BIN;
const char* const InstalledHelpers = TABVANE_HELPERS_FROM_BIN;

std::string tidy(const fs::path& path) { return path.lexically_normal().string(); }

} // namespace

std::string executableFolder()
{
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec).string();
    return exe.parent_path().string();
}

std::string applicationFolder() { return applicationFolderFor(executableFolder()); }

std::string applicationFolderFor(const std::string& exeFolder)
{
    // A build tree never has the installed folder beside its bin/, so its
    // presence tells an installed program from one run where it was built.
    std::error_code ec;
    const fs::path installed = fs::path(exeFolder) / InstalledData;
    if (fs::is_directory(installed, ec))
        return tidy(installed);
    return exeFolder;
}

bool isApplicationFile(const std::string& path) { return isFileInFolder(path, applicationFolder()); }

bool isFileInFolder(const std::string& path, const std::string& folder)
{
    // Compared as the file system resolves them, so that a link, "..", or the
    // build tree's bin/ reached another way still counts.
    if (path.empty())
        return false;
    std::error_code ec;
    const fs::path file = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec)
        return false;
    const fs::path inside = fs::weakly_canonical(folder, ec);
    if (ec)
        return false;
    const auto [end, rest] = std::mismatch(inside.begin(), inside.end(), file.begin(), file.end());
    return end == inside.end() && rest != file.end();
}

std::string helperProgram(const std::string& name) { return helperProgramFor(executableFolder(), name); }

std::string helperProgramFor(const std::string& exeFolder, const std::string& name)
{
    std::error_code ec;
    const fs::path beside = fs::path(exeFolder) / name;
    if (fs::is_regular_file(beside, ec))
        return beside.string();
    return tidy(fs::path(exeFolder) / InstalledHelpers / name);
}
