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

    // Leaves the fresh file `fd` only its owner's access, dropping whatever
    // its folder's default access list gave it, before it holds any data.
    static bool dropInherited(int fd, std::string& error);

    // Gives the open file `fd` all of it, access last, so that nobody can
    // open it for more than the final permissions at any point. Where the
    // owner or the group cannot be kept, nobody gains access: each class of
    // the new file gets no more than every class its members may have been
    // in before, and the saver as owner no more than the saver had. Fails rather than carry over less:
    // the caller then keeps the old file.
    bool applyTo(int fd, std::string& error) const;

private:
    bool applyOwner(int fd, bool& ownerKept, bool& groupKept, std::string& error) const;
    struct Access;
    Access narrowed(bool ownerKept, bool groupKept) const;
    bool applyAcl(int fd, const Access& access, std::string& error) const;
    bool applyExtendedAttributes(int fd, std::string& error) const;

    bool m_read = false;
    std::optional<mode_t> m_mode;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    void* m_acl = nullptr; // libacl's acl_t; null when the file system has none
    bool m_aclExtended = false;
    mode_t m_saverAccess = 0; // what the saving user could do with the file (rwx bits)
    std::vector<std::pair<std::string, std::string>> m_xattrs;
};
