#include "store/history/StepOperation.h"

#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace TextCodes {

namespace {

struct Table {
    std::mutex lock;
    // A deque, so that the strings the index refers to never move.
    std::deque<std::string> texts;
    std::unordered_map<std::string_view, Code> index;
};

Table& table()
{
    static Table t;
    return t;
}

} // namespace

Code code(std::string_view text)
{
    Table& t = table();
    const std::lock_guard guard(t.lock);
    if (const auto it = t.index.find(text); it != t.index.end())
        return it->second;
    if (t.texts.size() > std::numeric_limits<Code>::max())
        throw std::length_error("too many distinct step texts");
    const auto c = static_cast<Code>(t.texts.size());
    t.texts.emplace_back(text);
    t.index.emplace(t.texts.back(), c);
    return c;
}

const std::string& text(Code code)
{
    Table& t = table();
    const std::lock_guard guard(t.lock);
    return t.texts.at(code);
}

} // namespace TextCodes

namespace {

// Seven bits a byte, lowest first; the top bit says another byte follows.
void putNumber(std::vector<std::uint8_t>& out, std::size_t n)
{
    while (n >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(n | 0x80));
        n >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(n));
}

std::size_t getNumber(const std::uint8_t*& in)
{
    std::size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t b = *in++;
        n |= std::size_t(b & 0x7f) << shift;
        if (!(b & 0x80))
            return n;
    }
}

// Walks the block: `each(code, value)` for every parameter; returns the
// block's length.
template <typename Each>
std::size_t walk(const std::uint8_t* block, Each each)
{
    const std::uint8_t* in = block;
    for (std::size_t count = getNumber(in); count > 0; --count) {
        const auto code = static_cast<TextCodes::Code>(getNumber(in));
        const std::size_t length = getNumber(in);
        each(code, std::string_view(reinterpret_cast<const char*>(in), length));
        in += length;
    }
    return static_cast<std::size_t>(in - block);
}

} // namespace

PackedParameters::PackedParameters(const std::vector<std::pair<std::string, std::string>>& parameters)
{
    if (parameters.empty())
        return;
    std::vector<std::uint8_t> out;
    putNumber(out, parameters.size());
    for (const auto& [name, value] : parameters) {
        putNumber(out, TextCodes::code(name));
        putNumber(out, value.size());
        out.insert(out.end(), value.begin(), value.end());
    }
    m_block = std::make_unique_for_overwrite<std::uint8_t[]>(out.size());
    std::memcpy(m_block.get(), out.data(), out.size());
}

std::vector<std::pair<std::string, std::string>> PackedParameters::unpack() const
{
    std::vector<std::pair<std::string, std::string>> parameters;
    if (m_block)
        walk(m_block.get(), [&](TextCodes::Code code, std::string_view value) {
            parameters.emplace_back(TextCodes::text(code), std::string(value));
        });
    return parameters;
}

std::size_t PackedParameters::bytes() const
{
    return m_block ? walk(m_block.get(), [](TextCodes::Code, std::string_view) {}) : 0;
}

std::string fieldList(const std::vector<int>& fields)
{
    std::string out;
    for (int f : fields) {
        if (!out.empty())
            out += ',';
        out += std::to_string(f);
    }
    return out;
}

std::string unflaggedRuns(const std::vector<std::uint8_t>& flags)
{
    std::string out;
    for (std::size_t i = 0; i < flags.size();) {
        if (flags[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end + 1 < flags.size() && !flags[end + 1])
            ++end;
        if (!out.empty())
            out += ',';
        out += std::to_string(i + 1);
        if (end > i)
            out += '-' + std::to_string(end + 1);
        i = end + 1;
    }
    return out;
}
