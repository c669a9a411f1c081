#include "store/profile/ProfileCounts.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "store/table/TextFold.h"

namespace profilecounts {

namespace {

constexpr std::uint64_t Ones = 0x0101010101010101ULL;
constexpr std::uint64_t HighBits = Ones * 0x80;

// a-z to A-Z in each byte of a word of ASCII bytes, with no carry between
// bytes: each sum stays under 0x100.
std::uint64_t upperWord(std::uint64_t w)
{
    const std::uint64_t atLeastA = w + Ones * (0x80 - 'a');
    const std::uint64_t aboveZ = w + Ones * (0x80 - 'z' - 1);
    return w ^ ((atLeastA & ~aboveZ & HighBits) >> 2);
}

std::uint64_t mix(std::uint64_t h, std::uint64_t w)
{
    h = (h ^ w) * 0x9E3779B97F4A7C15ULL;
    return h ^ (h >> 29);
}

std::uint64_t finish(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

// The hash of `text`, upper-casing its words when `upper`; then a byte of
// 0x80 or more stops it, with `ascii` false.
std::uint64_t wordHash(std::string_view text, bool upper, bool& ascii)
{
    std::uint64_t h = 0x243F6A8885A308D3ULL ^ text.size();
    ascii = true;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        if (upper && (w & HighBits)) {
            ascii = false;
            return 0;
        }
        h = mix(h, upper ? upperWord(w) : w);
    }
    if (i < text.size()) {
        std::uint64_t w = 0;
        std::memcpy(&w, text.data() + i, text.size() - i);
        if (upper && (w & HighBits)) {
            ascii = false;
            return 0;
        }
        h = mix(h, upper ? upperWord(w) : w);
    }
    return finish(h);
}

bool asciiOnly(std::string_view v)
{
    return std::none_of(v.begin(), v.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

} // namespace

bool sameButCase(std::string_view a, std::string_view b)
{
    if (asciiOnly(a) && asciiOnly(b))
        return a.size() == b.size()
            && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return asciiUpper(x) == asciiUpper(y); });
    return upperCased(a) == upperCased(b);
}

std::uint64_t foldHash(std::string_view value)
{
    bool ascii = true;
    const std::uint64_t h = wordHash(value, true, ascii);
    if (ascii)
        return h;
    // The same hash as an ASCII value whose upper-cased form is the same
    // ("ſ" and "s" both give "S").
    const std::string upper = upperCased(value);
    return wordHash(upper, false, ascii);
}

} // namespace profilecounts
