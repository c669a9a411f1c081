#pragma once

#include <cstring>
#include <functional>
#include <string_view>

#include "store/HugeBuffer.h"

// Gathers a file's text in one large block and hands the block on whole when
// it is full, so that saving a million records makes a few dozen write calls
// and no per-value string growth.
class LineBlock {
public:
    using Sink = std::function<bool(std::string_view)>;

    explicit LineBlock(Sink sink, std::size_t capacity);

    // False once the sink has failed.
    bool append(std::string_view bytes)
    {
        if (bytes.size() <= m_left) {
            if (!bytes.empty())
                std::memcpy(m_pos, bytes.data(), bytes.size());
            m_pos += bytes.size();
            m_left -= bytes.size();
            return true;
        }
        return appendBeyond(bytes);
    }
    bool append(char c)
    {
        if (m_left == 0 && !handOn())
            return false;
        *m_pos++ = c;
        --m_left;
        return true;
    }
    // Hands on what is left.
    bool finish() { return handOn(); }

private:
    bool appendBeyond(std::string_view bytes);
    bool handOn();

    Sink m_sink;
    huge::Bytes m_block;
    std::size_t m_capacity;
    char* m_pos;
    std::size_t m_left;
};
