#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>

#include "store/save/FileAttributes.h"
#include "store/save/FileIdentity.h"

// Replaces a file so that a failure at any point leaves the old file exactly
// as it was: the new contents go to a fresh file in the same folder, are
// flushed to disk, and only then take the old name.
//
// The new file carries everything the old one had (see FileAttributes); what
// cannot be carried over fails the save. A symbolic link is followed and its
// target replaced, so the link stays a link; a loop of links fails. A hard
// link is broken: the other names keep the old contents. Device nodes,
// folders and other non-regular files are never replaced.
//
// The temporary file is locked while it is written, and a save removes the
// temporaries of the same file that an earlier, killed run left behind.
//
// Saves of one file run one after the other: from the last look at the file
// to its replacement, a save holds a lock on the file it replaces, so that a
// second save finds the first one's file and, expecting another, fails as
// changed on disk instead of replacing it unseen.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The permission bits for the file when it does not exist (it was
    // deleted since it was read). Without this a new file gets the folder's
    // defaults.
    void modeIfMissing(mode_t mode) { m_modeIfMissing = mode; }

    // The file the save may replace: what was loaded or last saved, or what
    // the user agreed to replace; nullopt for no file at all. Another file
    // found there at commit fails the save, with changedOnDisk() set.
    void expectOnDisk(std::optional<FileIdentity> identity)
    {
        m_expecting = true;
        m_expected = identity;
    }

    bool open();
    // Buffered; false once anything failed.
    bool write(std::string_view bytes);
    bool commit();
    void cancel();

    const std::string& error() const { return m_error; }
    // The save failed because another file than the expected one was found.
    bool changedOnDisk() const { return m_changedOnDisk; }
    // After a successful commit: what the user must know although the save
    // succeeded (another program's file, kept aside); empty mostly.
    const std::string& notice() const { return m_notice; }
    // The file as written, after a successful commit.
    const FileIdentity& written() const { return m_written; }

private:
    bool flush();
    bool writeOut(std::string_view bytes);
    bool fail(const std::string& what);
    bool failErrno(const std::string& what);
    bool openFolder(const std::string& folder);
    bool createTemp();
    bool putInPlace();
    bool lockTarget(int& lockFd);
    bool stillExpected(int lockFd);
    void keepAside();
    bool tempIs(dev_t device, ino_t inode) const;
    void removeTempIf(dev_t device, ino_t inode);

    std::string m_path;
    std::string m_name; // the target's name inside its folder
    int m_dirFd = -1;
    bool m_canSyncFolder = true;
    long m_nameMax = 255;
    std::string m_temp; // the temporary's name inside the folder
    int m_fd = -1;
    struct stat m_tempStat {};
    bool m_exists = false;
    struct stat m_old {};
    std::optional<mode_t> m_modeIfMissing;
    FileAttributes m_attributes;
    FileIdentity m_written;
    bool m_expecting = false;
    std::optional<FileIdentity> m_expected;
    bool m_changedOnDisk = false;
    std::string m_notice;

    bool m_failed = false;
    std::string m_error;
    std::string m_buffer;
    std::size_t m_bytesOut = 0;
    std::size_t m_writeBehindFrom = 0;
};
