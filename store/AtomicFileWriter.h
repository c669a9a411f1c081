#pragma once

#include <string>
#include <string_view>

// Replaces a file so that a failure at any point leaves the old file exactly
// as it was: the new contents go to a fresh file in the same folder, are
// flushed to disk, and only then take the old name.
//
// The new file gets the old one's permission bits and, where the saving user
// may set them, its owner and group. A symbolic link is followed and its
// target replaced, so the link stays a link. A hard link is broken: the other
// names keep the old contents. Device nodes, folders and other non-regular
// files are never replaced.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool open();
    // Buffered; false once anything failed.
    bool write(std::string_view bytes);
    bool commit();
    void cancel();

    const std::string& error() const { return m_error; }

private:
    bool flush();
    bool writeOut(std::string_view bytes);
    bool fail(const std::string& what);

    std::string m_path;
    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    bool m_failed = false;
    std::string m_error;
    std::string m_buffer;
    std::size_t m_written = 0;
    std::size_t m_writeBehindFrom = 0;
};
