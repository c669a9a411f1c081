#include "store/save/FileAttributes.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "store/save/SaveSystemCalls.h"

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

constexpr acl_perm_t Perms[] = {ACL_READ, ACL_WRITE, ACL_EXECUTE};
constexpr mode_t PermBits[] = {4, 2, 1};

mode_t bitsOf(acl_entry_t entry)
{
    acl_permset_t set = nullptr;
    mode_t bits = 0;
    if (acl_get_permset(entry, &set) == 0)
        for (int i = 0; i < 3; ++i)
            if (acl_get_perm(set, Perms[i]) == 1)
                bits |= PermBits[i];
    return bits;
}

void setBits(acl_entry_t entry, mode_t bits)
{
    acl_permset_t set = nullptr;
    if (acl_get_permset(entry, &set) != 0)
        return;
    acl_clear_perms(set);
    for (int i = 0; i < 3; ++i)
        if (bits & PermBits[i])
            acl_add_perm(set, Perms[i]);
    acl_set_permset(entry, set);
}

acl_tag_t tagOf(acl_entry_t entry)
{
    acl_tag_t tag = ACL_UNDEFINED_TAG;
    acl_get_tag_type(entry, &tag);
    return tag;
}

// The bits of the list's first entry tagged `wanted`; all when there is none.
mode_t bitsTagged(acl_t acl, acl_tag_t wanted)
{
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY)
        if (tagOf(entry) == wanted)
            return bitsOf(entry);
    return 07;
}

// Gives `fd` the list `acl` (null: none could be made) and frees it.
bool setAndFree(int fd, acl_t acl, const char* failure, std::string& error)
{
    const int set = acl ? retryInterrupted([&] { return savecall::setAcl(fd, acl); }) : -1;
    if (acl)
        acl_free(acl);
    if (set != 0) {
        error = why(failure);
        return false;
    }
    return true;
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
    for (const auto& [test, bit] : {std::pair{R_OK, 4}, std::pair{W_OK, 2}, std::pair{X_OK, 1}})
        if (::faccessat(AT_FDCWD, path.c_str(), test, AT_EACCESS) == 0)
            m_saverAccess |= static_cast<mode_t>(bit);

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

// Caps on what each class of the new file may do, as rwx bits. A member of
// the new group was before in the old group, among the others, or the old
// owner; likewise for the others. The saver who becomes the owner keeps what
// the saver could do.
struct FileAttributes::Access {
    bool ownerKept = true;
    mode_t owner = 07; // the owner's bits themselves when the owner changed
    mode_t group = 07;
    mode_t other = 07;
    mode_t namedGroups = 07;
};

FileAttributes::Access FileAttributes::narrowed(bool ownerKept, bool groupKept) const
{
    Access access;
    access.ownerKept = ownerKept;
    mode_t u = (*m_mode >> 6) & 07, g = (*m_mode >> 3) & 07, o = *m_mode & 07;
    if (m_aclExtended) {
        const acl_t acl = static_cast<acl_t>(m_acl);
        u = bitsTagged(acl, ACL_USER_OBJ);
        g = bitsTagged(acl, ACL_GROUP_OBJ) & bitsTagged(acl, ACL_MASK);
        o = bitsTagged(acl, ACL_OTHER);
    }
    if (!groupKept) {
        access.group = o;
        access.other = g;
    }
    if (!ownerKept) {
        access.owner = m_saverAccess;
        access.group &= u;
        access.other &= u;
        access.namedGroups = u;
    }
    return access;
}

bool FileAttributes::dropInherited(int fd, std::string& error)
{
    acl_t inherited = acl_get_fd(fd);
    if (!inherited)
        return true; // no access lists here at all
    const bool extended = acl_equiv_mode(inherited, nullptr) != 0;
    acl_free(inherited);
    if (!extended)
        return true;
    return setAndFree(fd, acl_from_mode(0600), "Cannot remove the access list the new file inherited from its folder",
                      error);
}

bool FileAttributes::applyTo(int fd, std::string& error) const
{
    if (!m_mode)
        return true;
    bool ownerKept = true;
    bool groupKept = true;
    if (m_read && !applyOwner(fd, ownerKept, groupKept, error))
        return false;
    const Access access = narrowed(ownerKept, groupKept);
    mode_t special = *m_mode & 07000;
    if (!ownerKept)
        special &= ~static_cast<mode_t>(S_ISUID);
    if (!groupKept)
        special &= ~static_cast<mode_t>(S_ISGID); // not for a group it is not
    mode_t perms = 0;
    if (m_aclExtended) {
        if (!applyAcl(fd, access, error))
            return false;
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            error = why("Cannot look at the new file");
            return false;
        }
        perms = st.st_mode & 0777; // as the list set them: the group bits are its mask
    } else {
        const mode_t owner = access.ownerKept ? (*m_mode >> 6) & 07 : access.owner;
        perms = (owner << 6) | (((*m_mode >> 3) & access.group & 07) << 3) | (*m_mode & access.other & 07);
    }
    // The special bits go on last, as an access list cannot carry them.
    if (retryInterrupted([&] { return savecall::fchmod(fd, perms | special); }) != 0) {
        error = why("Cannot give the new file the old one's permissions");
        return false;
    }
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

bool FileAttributes::applyAcl(int fd, const Access& access, std::string& error) const
{
    acl_t copy = acl_dup(static_cast<acl_t>(m_acl));
    if (!copy) {
        error = why("Cannot copy the file's access list (ACL)");
        return false;
    }
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(copy, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        switch (tagOf(entry)) {
        case ACL_USER_OBJ:
            if (!access.ownerKept)
                setBits(entry, access.owner);
            break;
        case ACL_GROUP_OBJ:
            setBits(entry, bitsOf(entry) & access.group);
            break;
        case ACL_GROUP: // the old owner may be among them
            if (!access.ownerKept)
                setBits(entry, bitsOf(entry) & access.namedGroups);
            break;
        case ACL_OTHER:
            setBits(entry, bitsOf(entry) & access.other);
            break;
        default:
            break;
        }
    }
    return setAndFree(fd, copy, "Cannot carry the file's access list (ACL) over to the new file", error);
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
