#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Builds the lines of a CSV file from values, under one of the two rules.
//
// The simple rule writes every value as it is, in double quotes when all are
// to be quoted, with nothing escaped; a value alone on its line that is empty
// or only spaces is quoted too, or it would read as a blank line. The standard rule quotes a value when it
// holds the separator, a double quote, CR or LF, or begins or ends with a
// space, and doubles the quotes inside; with `quoteAll` every value is quoted.
class CsvLineWriter {
public:
    // `western`: the text is written in Western (Windows-1252), where "þÿ",
    // "ÿþ" and "ï»¿" are the bytes of byte-order marks.
    CsvLineWriter(std::string separator, bool standard, bool quoteAll, std::string lineEnd, bool western = false);

    // `atFileStart`: these are the file's first bytes, with no mark before
    // them. A first value that begins like a byte-order mark, once encoded,
    // is then quoted, or reading the file back would take its bytes for a
    // mark.
    void append(std::string& out, const std::vector<std::string_view>& values, bool atFileStart = false) const;
    // The lines of `count` records whose values stand in `values` row after
    // row, `width` to a record; `atFileStart` is for the first of them.
    // A record marked in `whole` is a line kept as read, its whole text in its
    // first value: only where joinsAsTheyStand(), and never at the file start.
    void appendLines(std::string& out, const std::string_view* values, std::size_t width, std::size_t count,
                     bool atFileStart = false, const std::uint8_t* whole = nullptr) const;
    // Values are written as they stand, joined by `separator`.
    bool joinsAsTheyStand(const std::string& separator) const
    {
        return !m_quoteAll && !m_standard && separator == m_separator;
    }

private:
    bool needsQuotes(std::string_view value, bool onlyValue) const;
    void appendQuoted(std::string& out, std::string_view value) const;
    void appendLine(std::string& out, const std::string_view* values, std::size_t width, bool atFileStart) const;
    void appendJoined(std::string& out, const std::string_view* values, std::size_t width, std::size_t count,
                      const std::uint8_t* whole) const;

    std::string m_separator;
    bool m_standard;
    bool m_quoteAll;
    std::string m_lineEnd;
    bool m_western;
};
