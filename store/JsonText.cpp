#include "store/JsonText.h"

#include <cstdio>

#include "store/table/TextFold.h"

std::string jsonString(std::string_view text, bool& exact)
{
    exact = true;
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8SequenceLength(text, i);
            out += length > 0 ? text.substr(i, length) : std::string_view("\\ufffd");
            exact = exact && length > 0;
            i += length > 0 ? length : 1;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out + '"';
}

std::string jsonString(std::string_view text)
{
    bool exact = true;
    return jsonString(text, exact);
}

std::string hexOf(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return out;
}

