#include "platform/XmlText.h"

#include <cstdint>

namespace {

// The code point at `text[at]` and its length in bytes; length 0 for a byte
// that starts no valid sequence.
std::uint32_t decode(std::string_view text, std::size_t at, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    length = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    // Sequence length, payload bits of the lead byte, smallest code point
    // that needs this length (anything below is an overlong form).
    struct Form {
        unsigned char mask, value;
        std::size_t n;
        std::uint32_t min;
    };
    static constexpr Form forms[] = {{0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}};
    const Form* form = nullptr;
    for (const Form& f : forms)
        if ((lead & f.mask) == f.value)
            form = &f;
    if (!form)
        return 0;
    const std::size_t n = form->n;
    const std::uint32_t min = form->min;
    std::uint32_t cp = lead & static_cast<unsigned char>(~form->mask);
    if (at + n > text.size())
        return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    length = n;
    return cp;
}

bool allowed(std::uint32_t cp)
{
    return cp >= 0x20 ? (cp != 0xFFFE && cp != 0xFFFF) : (cp == '\t' || cp == '\n' || cp == '\r');
}

bool isWide(std::uint32_t cp)
{
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
           (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

} // namespace

bool isXmlSafe(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c >= 0x20 && c < 0x80) {
            ++at;
            continue;
        }
        std::size_t length = 0;
        const std::uint32_t cp = decode(text, at, length);
        if (length == 0 || !allowed(cp))
            return false;
        at += length;
    }
    return true;
}

std::string xmlSafe(std::string_view text)
{
    if (isXmlSafe(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        const std::uint32_t cp = decode(text, at, length);
        if (length == 0 || !allowed(cp)) {
            out += "\xEF\xBF\xBD";
            at += length == 0 ? 1 : length;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

int displayWidth(std::string_view text)
{
    int width = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        const std::uint32_t cp = decode(text, at, length);
        width += isWide(cp) ? 2 : 1;
        at += length == 0 ? 1 : length;
    }
    return width;
}

void appendEscaped(std::string& out, std::string_view text)
{
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* entity = c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : nullptr;
        if (!entity)
            continue;
        out.append(text.substr(plain, i - plain));
        out.append(entity);
        plain = i + 1;
    }
    out.append(text.substr(plain));
}
