#include "store/table/TextFold.h"

#include <QString>

namespace {

bool isAscii(std::string_view text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    std::size_t len = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        len = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
        len = 3;
    else if (b0 >= 0xF0 && b0 <= 0xF4)
        len = 4;
    else
        return 0;
    if (i + len > text.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    const unsigned char b1 = byte(i + 1);
    if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 >= 0xA0) || (b0 == 0xF0 && b1 < 0x90)
        || (b0 == 0xF4 && b1 >= 0x90))
        return 0; // overlong, surrogate or beyond U+10FFFF
    return len;
}

std::string upperCased(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(asciiUpper(text[i]));
            ++i;
            continue;
        }
        // Collect a run of valid multi-byte characters and let Qt case it.
        std::size_t j = i;
        while (j < text.size() && static_cast<unsigned char>(text[j]) >= 0x80) {
            const std::size_t len = utf8SequenceLength(text, j);
            if (len == 0)
                break;
            j += len;
        }
        if (j > i) {
            const QByteArray upper = QString::fromUtf8(text.data() + i, static_cast<qsizetype>(j - i))
                                         .toUpper()
                                         .toUtf8();
            out.append(upper.constData(), static_cast<std::size_t>(upper.size()));
            i = j;
        } else {
            out.push_back(text[i]); // an invalid byte stays as it is
            ++i;
        }
    }
    return out;
}

std::string matchKey(std::string_view text) { return upperCased(trimSpaces(text)); }

bool trimmedMatchesKey(std::string_view trimmed, std::string_view key)
{
    if (isAscii(trimmed)) {
        if (trimmed.size() != key.size())
            return false;
        for (std::size_t i = 0; i < trimmed.size(); ++i)
            if (asciiUpper(trimmed[i]) != key[i])
                return false;
        return true;
    }
    return upperCased(trimmed) == key;
}
