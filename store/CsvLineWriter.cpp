#include "store/CsvLineWriter.h"

#include <cstring>

CsvLineWriter::CsvLineWriter(std::string separator, bool standard, bool quoteAll, std::string lineEnd)
    : m_separator(std::move(separator)), m_standard(standard), m_quoteAll(quoteAll), m_lineEnd(std::move(lineEnd))
{
}

bool CsvLineWriter::needsQuotes(std::string_view value, bool onlyValue) const
{
    if (value.empty())
        return onlyValue; // an empty line would be read as a blank line and skipped
    if (value.front() == ' ' || value.back() == ' ')
        return true;
    if (value.find_first_of("\"\r\n") != std::string_view::npos)
        return true;
    if (m_separator.size() > 1) {
        // "a:" before "::" reads as "a" and ":" after it: a value holding the
        // separator's first character could end in the start of a separator.
        return value.find(m_separator.front()) != std::string_view::npos;
    }
    return !m_separator.empty() && value.find(m_separator) != std::string_view::npos;
}

void CsvLineWriter::appendQuoted(std::string& out, std::string_view value) const
{
    out += '"';
    if (m_standard) {
        std::size_t from = 0;
        for (std::size_t q = value.find('"'); q != std::string_view::npos; q = value.find('"', from)) {
            out.append(value.substr(from, q + 1 - from));
            out += '"';
            from = q + 1;
        }
        out.append(value.substr(from));
    } else {
        out += value;
    }
    out += '"';
}

void CsvLineWriter::append(std::string& out, const std::vector<std::string_view>& values) const
{
    const bool onlyValue = values.size() == 1;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += m_separator;
        if (m_quoteAll || (m_standard && needsQuotes(values[i], onlyValue)))
            appendQuoted(out, values[i]);
        else
            out += values[i];
    }
    out += m_lineEnd;
}
