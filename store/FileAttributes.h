#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

// What a file that replaces another must carry over so that nobody gains or
// loses access and no label is lost: owner and group (where the saving user
// may set them), the permission bits, the POSIX access list (ACL) and every
// other extended attribute, byte for byte (SELinux labels and user.*
// attributes among them).
class FileAttributes {
public:
    FileAttributes() = default;
    ~FileAttributes();
    FileAttributes(const FileAttributes&) = delete;
    FileAttributes& operator=(const FileAttributes&) = delete;

    // Reads them from the regular file at `path`, which `st` describes.
    bool read(const std::string& path, const struct stat& st, std::string& error);
    // Only the permission bits are known: the file is gone, its mode is not.
    void modeOnly(mode_t mode);
    // Whether a mode is known; without one the new file takes the folder's
    // defaults, as any new file does.
    bool known() const { return m_mode.has_value(); }

    // Gives the open file `fd` all of it. Fails rather than carry over less:
    // the caller then keeps the old file.
    bool applyTo(int fd, std::string& error) const;

private:
    bool applyOwner(int fd, bool& ownerKept, bool& groupKept, std::string& error) const;
    bool applyAcl(int fd, mode_t mode, bool groupKept, std::string& error) const;
    bool applyExtendedAttributes(int fd, std::string& error) const;

    bool m_read = false;
    std::optional<mode_t> m_mode;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    void* m_acl = nullptr; // libacl's acl_t; null when the file system has none
    bool m_aclExtended = false;
    std::vector<std::pair<std::string, std::string>> m_xattrs;
};
