#pragma once

#include <string>
#include <string_view>

// Letter-case styles for cell values. Values are UTF-8 bytes: each valid
// character is converted whole (by Unicode's full case mapping, so "ß"
// upper-cases to "SS"), and bytes that are not valid UTF-8 pass unchanged.

enum class CaseStyle { Proper, Upper, Lower, Sentence };

std::string toUpperCase(std::string_view text);
std::string toLowerCase(std::string_view text);
// The first character of every word upper-cased, every other one lower-cased.
// Words begin at the start and after a space, tab, line break, vertical tab,
// form feed, carriage return or NUL; hyphens and apostrophes join words.
std::string toProperCase(std::string_view text);
// The first character, and the first non-space after every full stop,
// upper-cased; nothing is lower-cased.
std::string toSentenceCase(std::string_view text);

std::string convertCase(std::string_view text, CaseStyle style);
