#pragma once

#include <string>
#include <string_view>
#include <vector>

// Builds the lines of a CSV file from values, under one of the two rules.
//
// The simple rule writes every value as it is, in double quotes when all are
// to be quoted, with nothing escaped. The standard rule quotes a value when it
// holds the separator, a double quote, CR or LF, or begins or ends with a
// space, and doubles the quotes inside; with `quoteAll` every value is quoted.
class CsvLineWriter {
public:
    CsvLineWriter(std::string separator, bool standard, bool quoteAll, std::string lineEnd);

    void append(std::string& out, const std::vector<std::string_view>& values) const;

private:
    bool needsQuotes(std::string_view value, bool onlyValue) const;
    void appendQuoted(std::string& out, std::string_view value) const;

    std::string m_separator;
    bool m_standard;
    bool m_quoteAll;
    std::string m_lineEnd;
};
