#pragma once

#include <string>
#include <string_view>

// Looks for the separator a file was written with, for a file that loaded as
// one single column: the first of comma, semicolon, tab and "|" that splits
// each of the first 200 non-blank lines into the same number of values, at
// least two. Empty when none does. Under the standard rule separators inside
// double quotes do not count.
struct SeparatorGuess {
    std::string separator; // empty for none
    std::size_t values = 0;
};
SeparatorGuess guessSeparator(std::string_view text, bool standardQuoting);

// The first part of a file, decoded to UTF-8 as LoadFile would decode it, for
// guessSeparator: at most about `limit` bytes, ending at a line end.
std::string fileHead(const std::string& path, std::size_t limit = 1 << 20);
