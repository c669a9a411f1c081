#include "store/profile/ValueBlemish.h"

namespace {

// The length of the character at `i` that does not print, or 0.
std::size_t unprintableAt(std::string_view v, std::size_t i)
{
    const auto b = [&](std::size_t k) { return k < v.size() ? static_cast<unsigned char>(v[k]) : 0u; };
    const unsigned c = b(i);
    if (c < 0x20 || c == 0x7F)
        return 1;
    // U+0080..U+009F (C1 controls) and U+00A0 (no-break space).
    if (c == 0xC2 && b(i + 1) >= 0x80 && b(i + 1) <= 0xA0)
        return 2;
    if (c == 0xE2 && b(i + 1) == 0x80 && b(i + 2) >= 0x8B && b(i + 2) <= 0x8F) // zero-width, direction marks
        return 3;
    if (c == 0xE2 && b(i + 1) == 0x81 && b(i + 2) == 0xA0) // word joiner
        return 3;
    if (c == 0xEF && b(i + 1) == 0xBB && b(i + 2) == 0xBF) // byte-order mark
        return 3;
    return 0;
}

} // namespace

Blemishes blemishesOf(std::string_view value)
{
    Blemishes marks;
    marks.edgeSpaces = !value.empty() && (value.front() == ' ' || value.back() == ' ');
    const std::string_view inner = withoutEdgeSpaces(value);
    marks.doubledSpaces = inner.find("  ") != std::string_view::npos;
    for (std::size_t i = 0; i < value.size() && !marks.unprintable; ++i)
        marks.unprintable = unprintableAt(value, i) > 0;
    return marks;
}

std::string_view withoutEdgeSpaces(std::string_view value)
{
    const std::size_t first = value.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return value.substr(first, value.find_last_not_of(' ') - first + 1);
}

std::string withSingleSpaces(std::string_view value)
{
    // Spaces at the ends stay as they are: that is the trim's work.
    const std::size_t first = value.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::string(value);
    const std::size_t last = value.find_last_not_of(' ');
    std::string out(value.substr(0, first));
    for (std::size_t i = first; i <= last; ++i)
        if (value[i] != ' ' || value[i - 1] != ' ')
            out += value[i];
    out += value.substr(last + 1);
    return out;
}

std::string withoutUnprintable(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t skip = unprintableAt(value, i);
        if (skip > 0) {
            i += skip;
            continue;
        }
        out += value[i++];
    }
    return out;
}
