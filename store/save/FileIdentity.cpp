#include "store/save/FileIdentity.h"

#include <cerrno>

FileIdentity FileIdentity::of(const struct stat& st)
{
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified = st.st_mtim;
    id.statusChanged = st.st_ctim;
    id.mode = st.st_mode & 07777;
    return id;
}

std::optional<FileIdentity> FileIdentity::at(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return of(st);
}

bool FileIdentity::sameAs(const FileIdentity& other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           statusChanged.tv_sec == other.statusChanged.tv_sec && statusChanged.tv_nsec == other.statusChanged.tv_nsec;
}

DiskChange diskChangeSince(const FileIdentity& known, const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? DiskChange::Deleted : DiskChange::Changed;
    return FileIdentity::of(st).sameAs(known) ? DiskChange::None : DiskChange::Changed;
}
