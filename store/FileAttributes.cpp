#include "store/FileAttributes.h"

#include <cerrno>
#include <cstring>

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "store/SaveSystemCalls.h"

using savecall::retryInterrupted;

namespace {

bool unsupported(int error) { return error == ENOTSUP || error == ENOSYS; }

std::string why(const std::string& what) { return what + ": " + std::strerror(errno); }

// Access lists travel as libacl handles; they are not part of the list of
// attributes copied byte for byte.
bool isAclAttribute(const std::string& name)
{
    return name == "system.posix_acl_access" || name == "system.posix_acl_default";
}

// The names of all extended attributes of `path`; empty where the file system
// keeps none.
bool listAttributes(const std::string& path, std::vector<std::string>& names, std::string& error)
{
    std::vector<char> list;
    while (true) {
        const ssize_t size = ::llistxattr(path.c_str(), nullptr, 0);
        if (size < 0) {
            if (unsupported(errno))
                return true;
            error = why("Cannot list the file's extended attributes");
            return false;
        }
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::llistxattr(path.c_str(), list.data(), list.size());
        if (got >= 0) {
            list.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) { // ERANGE: one was added meanwhile; ask again
            error = why("Cannot list the file's extended attributes");
            return false;
        }
    }
    for (std::size_t at = 0; at < list.size();) {
        const std::string name(list.data() + at);
        at += name.size() + 1;
        if (!name.empty())
            names.push_back(name);
    }
    return true;
}

// The value of attribute `name`; false with errno set when there is none.
bool readAttribute(const std::string& path, const std::string& name, std::string& value)
{
    while (true) {
        const ssize_t size = ::lgetxattr(path.c_str(), name.c_str(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

bool sameAttributeOn(int fd, const std::string& name, const std::string& value)
{
    std::string current(value.size() + 1, '\0');
    const ssize_t got = ::fgetxattr(fd, name.c_str(), current.data(), current.size());
    return got >= 0 && static_cast<std::size_t>(got) == value.size() &&
           std::memcmp(current.data(), value.data(), value.size()) == 0;
}

// Narrows the owning group's entry to what everybody else may do: the new
// file's group is not the old one, and must not gain the old group's access.
void narrowGroupEntry(acl_t acl)
{
    acl_permset_t other = nullptr;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag {};
        if (acl_get_tag_type(entry, &tag) == 0 && tag == ACL_OTHER)
            acl_get_permset(entry, &other);
    }
    for (int which = ACL_FIRST_ENTRY; other && acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag {};
        acl_permset_t group = nullptr;
        if (acl_get_tag_type(entry, &tag) != 0 || tag != ACL_GROUP_OBJ || acl_get_permset(entry, &group) != 0)
            continue;
        for (acl_perm_t perm : {ACL_READ, ACL_WRITE, ACL_EXECUTE})
            if (acl_get_perm(other, perm) != 1)
                acl_delete_perm(group, perm);
        acl_set_permset(entry, group);
    }
}

} // namespace

FileAttributes::~FileAttributes()
{
    if (m_acl)
        acl_free(m_acl);
}

void FileAttributes::modeOnly(mode_t mode) { m_mode = mode & 07777; }

bool FileAttributes::read(const std::string& path, const struct stat& st, std::string& error)
{
    m_read = true;
    m_mode = st.st_mode & 07777;
    m_uid = st.st_uid;
    m_gid = st.st_gid;

    acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
    if (acl) {
        m_acl = acl;
        m_aclExtended = acl_equiv_mode(acl, nullptr) != 0;
    } else if (!unsupported(errno)) {
        error = why("Cannot read the file's access list (ACL)");
        return false;
    }

    std::vector<std::string> names;
    if (!listAttributes(path, names, error))
        return false;
    for (const std::string& name : names) {
        if (isAclAttribute(name))
            continue;
        std::string value;
        if (!readAttribute(path, name, value)) {
            if (errno == ENODATA) // removed since it was listed
                continue;
            error = why("Cannot read the file's extended attribute " + name);
            return false;
        }
        m_xattrs.emplace_back(name, std::move(value));
    }
    return true;
}

bool FileAttributes::applyTo(int fd, std::string& error) const
{
    if (!m_mode)
        return true;
    bool ownerKept = true;
    bool groupKept = true;
    if (m_read && !applyOwner(fd, ownerKept, groupKept, error))
        return false;
    mode_t mode = *m_mode;
    if (!ownerKept)
        mode &= ~static_cast<mode_t>(S_ISUID);
    if (!groupKept) {
        // The group bits now speak for another group: give it no more than
        // everybody else, and no set-group-ID for a group it is not.
        mode = (mode & ~static_cast<mode_t>(S_ISGID | 070)) | (mode & ((mode & 07) << 3));
    }
    if (retryInterrupted([&] { return savecall::fchmod(fd, mode); }) != 0) {
        error = why("Cannot give the new file the old one's permissions");
        return false;
    }
    if (m_read && !applyAcl(fd, mode, groupKept, error))
        return false;
    return applyExtendedAttributes(fd, error);
}

bool FileAttributes::applyOwner(int fd, bool& ownerKept, bool& groupKept, std::string& error) const
{
    if (retryInterrupted([&] { return savecall::fchown(fd, m_uid, m_gid); }) == 0)
        return true;
    if (errno != EPERM) {
        error = why("Cannot give the new file the old one's owner and group");
        return false;
    }
    // An ordinary user cannot give a file away; the group is kept where the
    // user belongs to it.
    ownerKept = m_uid == ::geteuid();
    if (retryInterrupted([&] { return savecall::fchown(fd, static_cast<uid_t>(-1), m_gid); }) == 0)
        return true;
    if (errno != EPERM) {
        error = why("Cannot give the new file the old one's group");
        return false;
    }
    groupKept = false;
    return true;
}

bool FileAttributes::applyAcl(int fd, mode_t mode, bool groupKept, std::string& error) const
{
    if (m_aclExtended) {
        acl_t copy = acl_dup(static_cast<acl_t>(m_acl));
        if (!copy) {
            error = why("Cannot copy the file's access list (ACL)");
            return false;
        }
        if (!groupKept)
            narrowGroupEntry(copy);
        const int set = retryInterrupted([&] { return savecall::setAcl(fd, copy); });
        acl_free(copy);
        if (set != 0) {
            error = why("Cannot carry the file's access list (ACL) over to the new file");
            return false;
        }
        return true;
    }
    // The old file had no access list, but the new one may have inherited
    // the folder's default list: the file must not gain entries it never had.
    acl_t inherited = acl_get_fd(fd);
    if (!inherited)
        return true; // no access lists here at all
    const bool extended = acl_equiv_mode(inherited, nullptr) != 0;
    acl_free(inherited);
    if (!extended)
        return true;
    acl_t plain = acl_from_mode(mode);
    const int set = plain ? retryInterrupted([&] { return savecall::setAcl(fd, plain); }) : -1;
    if (plain)
        acl_free(plain);
    if (set != 0) {
        error = why("Cannot remove the access list the new file inherited from its folder");
        return false;
    }
    return true;
}

bool FileAttributes::applyExtendedAttributes(int fd, std::string& error) const
{
    for (const auto& attribute : m_xattrs) {
        const std::string& name = attribute.first;
        const std::string& value = attribute.second;
        // A label the new file already has (as SELinux gives it) needs no
        // permission to set again.
        if (sameAttributeOn(fd, name, value))
            continue;
        if (retryInterrupted([&] { return savecall::fsetxattr(fd, name.c_str(), value.data(), value.size()); }) != 0) {
            error = why("Cannot carry the file's extended attribute " + name + " over to the new file");
            return false;
        }
    }
    return true;
}
