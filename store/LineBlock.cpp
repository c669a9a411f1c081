#include "store/LineBlock.h"

LineBlock::LineBlock(Sink sink, std::size_t capacity)
    : m_sink(std::move(sink)), m_block(huge::allocateBytes(capacity)), m_capacity(capacity),
      m_pos(m_block.get()), m_left(capacity)
{
}

bool LineBlock::appendBeyond(std::string_view bytes)
{
    if (!handOn())
        return false;
    // A value larger than a block goes out as it is.
    if (bytes.size() >= m_capacity)
        return m_sink(bytes);
    return append(bytes);
}

bool LineBlock::handOn()
{
    const std::string_view full(m_block.get(), m_capacity - m_left);
    m_pos = m_block.get();
    m_left = m_capacity;
    return full.empty() || m_sink(full);
}
