#pragma once

#include <string>
#include <string_view>

// The store's one rule for comparing names and search values: spaces (only
// the space character) removed at both ends, then upper-cased by Unicode's
// full case mapping, so "straße" matches "STRASSE". Bytes that are not valid
// UTF-8 are kept as they are, so two different invalid values never match.

inline std::string_view trimSpaces(std::string_view text)
{
    // Plain loops, inline: this runs on every value of every loaded line.
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && *begin == ' ')
        ++begin;
    while (end != begin && end[-1] == ' ')
        --end;
    return {begin, static_cast<std::size_t>(end - begin)};
}

// Length of the valid UTF-8 sequence of two or more bytes that starts at
// text[i], or 0 when the byte there does not begin one (ASCII included).
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

// The upper-cased form of `text` (not trimmed).
std::string upperCased(std::string_view text);

// trimSpaces then upperCased.
std::string matchKey(std::string_view text);

inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Whether matchKey(trimmed) equals `key`, for a value already trimmed.
bool trimmedMatchesKey(std::string_view trimmed, std::string_view key);

// Whether matchKey(value) equals `key`, without building the key for the
// usual all-ASCII value. Inline, for scans over many values: most are told
// apart by their first byte. Upper-casing keeps an ASCII byte one byte, so an
// ASCII first byte that differs from the key's settles it.
inline bool matchesKey(std::string_view value, std::string_view key)
{
    const std::string_view trimmed = trimSpaces(value);
    if (!trimmed.empty() && !key.empty() && static_cast<unsigned char>(trimmed.front()) < 0x80
        && asciiUpper(trimmed.front()) != key.front())
        return false;
    return trimmedMatchesKey(trimmed, key);
}
