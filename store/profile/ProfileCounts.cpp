#include "store/profile/ProfileCounts.h"

#include <algorithm>
#include <cmath>
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
    // ("ſ" and "s" both give "S"). Letters of Western European languages are
    // upper-cased here, as Unicode does, without a trip through QString.
    char latin[64];
    bool simple = value.size() <= sizeof latin;
    for (std::size_t i = 0; simple && i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x80) {
            latin[i] = asciiUpper(value[i]);
        } else if (c == 0xC3 && i + 1 < value.size()) {
            const auto d = static_cast<unsigned char>(value[i + 1]);
            // U+00C0..U+00DE stay; U+00E0..U+00FE but for U+00F7 lose 0x20;
            // U+00DF (ß) and U+00FF (ÿ) change length or block.
            simple = d >= 0x80 && d <= 0xBE && d != 0x9F;
            latin[i] = static_cast<char>(c);
            latin[i + 1] = static_cast<char>(d >= 0xA0 && d != 0xB7 ? d - 0x20 : d);
            ++i;
        } else {
            simple = false;
        }
    }
    if (simple)
        return wordHash(std::string_view(latin, value.size()), false, ascii);
    const std::string upper = upperCased(value);
    return wordHash(upper, false, ascii);
}

double DistinctEstimate::estimate() const
{
    double sum = 0;
    std::size_t zeros = 0;
    for (const std::uint8_t r : m_registers) {
        sum += std::ldexp(1.0, -r);
        zeros += r == 0;
    }
    const double m = Registers;
    const double raw = 0.7213 / (1 + 1.079 / m) * m * m / sum;
    // Few values: count the registers still empty instead.
    if (raw <= 2.5 * m && zeros > 0)
        return m * std::log(m / static_cast<double>(zeros));
    return raw;
}

} // namespace profilecounts
