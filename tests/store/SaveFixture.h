#pragma once

#include <sys/stat.h>
#include <sys/xattr.h>

#include <acl/libacl.h>
#include <sys/acl.h>

#include <filesystem>
#include <string>

#include "store/CSVDBS.h"
#include "tests/support/TempDir.h"

// Helpers shared by the tests of saving: a loaded store, access lists and
// attributes read back as text, and the temporaries a save may leave.
inline bool loadFrom(CSVDBS& s, const std::string& path)
{
    s.FileName(path);
    return s.LoadFile();
}

// The file before a save, and after the one change the tests make.
inline const std::string Original = "Name,Age\r\nBob,42\r\n";
inline const std::string Saved = "Name,Age\r\nBob,43\r\n";

// The access list of `path` in libacl's short text form; empty when the file
// system keeps none.
inline std::string aclText(const std::string& path)
{
    acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
    if (!acl)
        return {};
    char* text = acl_to_any_text(acl, nullptr, ',', TEXT_ABBREVIATE);
    std::string out = text ? text : "";
    acl_free(text);
    acl_free(acl);
    return out;
}

inline bool setAclText(const std::string& path, const char* text, acl_type_t type = ACL_TYPE_ACCESS)
{
    acl_t acl = acl_from_text(text);
    const bool ok = acl && acl_set_file(path.c_str(), type, acl) == 0;
    if (acl)
        acl_free(acl);
    return ok;
}

inline std::string xattrOf(const std::string& path, const char* name)
{
    char value[256];
    const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string() : std::string(value, static_cast<std::size_t>(n));
}

// Names in `folder` that a save writes for a while ("...tabvane-save-...").
inline int temporariesIn(const std::string& folder)
{
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        n += e.path().filename().string().find(".tabvane-save-") != std::string::npos ? 1 : 0;
    return n;
}

inline mode_t modeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}
