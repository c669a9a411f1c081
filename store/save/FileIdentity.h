#pragma once

#include <optional>
#include <string>

#include <sys/stat.h>

// Which file is on disk under a name, and in which state: enough to tell
// whether another program has changed, replaced or deleted it since we last
// read or wrote it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
    // Put back by no ordinary call: a rewrite that restores the time of
    // modification (cp -p, touch -r) still shows here.
    struct timespec statusChanged {};
    mode_t mode = 0;

    static FileIdentity of(const struct stat& st);
    // The file at `path` now (links followed); nullopt when there is none.
    static std::optional<FileIdentity> at(const std::string& path);

    bool sameAs(const FileIdentity& other) const;
};

enum class DiskChange { None, Changed, Deleted };

// How the file at `path` differs from `known`.
DiskChange diskChangeSince(const FileIdentity& known, const std::string& path);
