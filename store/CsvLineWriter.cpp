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

namespace {

bool beginsLikeMark(std::string_view value)
{
    return value.starts_with("\xFF\xFE") || value.starts_with("\xFE\xFF") || value.starts_with("\xEF\xBB\xBF");
}

} // namespace

void CsvLineWriter::append(std::string& out, const std::vector<std::string_view>& values, bool atFileStart) const
{
    appendLine(out, values.data(), values.size(), atFileStart);
}

void CsvLineWriter::appendLines(std::string& out, const std::string_view* values, std::size_t width,
                                std::size_t count, bool atFileStart) const
{
    if (count == 0)
        return;
    std::size_t from = 0;
    if (atFileStart) {
        appendLine(out, values, width, true);
        from = 1;
    }
    if (!m_quoteAll && !m_standard) {
        appendJoined(out, values + from * width, width, count - from);
        return;
    }
    for (std::size_t r = from; r < count; ++r)
        appendLine(out, values + r * width, width, false);
}

void CsvLineWriter::appendLine(std::string& out, const std::string_view* values, std::size_t width,
                               bool atFileStart) const
{
    const bool onlyValue = width == 1;
    for (std::size_t i = 0; i < width; ++i) {
        if (i > 0)
            out += m_separator;
        if (m_quoteAll || (m_standard && needsQuotes(values[i], onlyValue))
            || (i == 0 && atFileStart && beginsLikeMark(values[i])))
            appendQuoted(out, values[i]);
        else
            out += values[i];
    }
    out += m_lineEnd;
}

// Values as they are, joined by the separator: the common case, and where a
// large save spends its time. The text's length is found first, so that the
// bytes are then copied without a check of room each.
void CsvLineWriter::appendJoined(std::string& out, const std::string_view* values, std::size_t width,
                                 std::size_t count) const
{
    const std::size_t cells = width * count;
    const std::size_t separators = width == 0 ? 0 : width - 1;
    std::size_t bytes = count * (separators * m_separator.size() + m_lineEnd.size());
    for (std::size_t i = 0; i < cells; ++i)
        bytes += values[i].size();
    const std::size_t at = out.size();
    out.resize(at + bytes);
    char* to = out.data() + at;
    const auto copy = [&to](std::string_view text) {
        if (!text.empty()) // an empty value may have no bytes to point at
            std::memcpy(to, text.data(), text.size());
        to += text.size();
    };
    const bool oneByteSeparator = m_separator.size() == 1;
    for (std::size_t r = 0; r < count; ++r) {
        const std::string_view* line = values + r * width;
        for (std::size_t f = 0; f < width; ++f) {
            if (f > 0) {
                if (oneByteSeparator)
                    *to++ = m_separator[0];
                else
                    copy(m_separator);
            }
            copy(line[f]);
        }
        copy(m_lineEnd);
    }
}
