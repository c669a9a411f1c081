#include "store/save/CsvLineWriter.h"

#include <cstdint>
#include <cstring>

CsvLineWriter::CsvLineWriter(std::string separator, bool standard, bool quoteAll, std::string lineEnd, bool western)
    : m_separator(std::move(separator)), m_standard(standard), m_quoteAll(quoteAll), m_lineEnd(std::move(lineEnd)),
      m_western(western)
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

// Copies `n` bytes, at least one word and at most two, as a word from the
// front and a word from the back, overlapping in the middle.
template <typename Word>
void copyEnds(char* to, const char* from, std::size_t n)
{
    Word head, tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
}

// Copies `n` bytes to `to` and returns their end. Most values are a few
// bytes long: two fixed-size moves cost less than a call. An empty value may
// have no bytes to point at, and none are read.
inline char* copyShort(char* to, const char* from, std::size_t n)
{
    if (n > 16)
        std::memcpy(to, from, n);
    else if (n >= 8)
        copyEnds<std::uint64_t>(to, from, n);
    else if (n >= 4)
        copyEnds<std::uint32_t>(to, from, n);
    else
        for (std::size_t i = 0; i < n; ++i)
            to[i] = from[i];
    return to + n;
}

// The store's text is UTF-8: in Western the marks' bytes are "ÿþ", "þÿ" and "ï»¿".
bool beginsLikeMark(std::string_view value, bool western)
{
    if (western)
        return value.starts_with("\xC3\xBF\xC3\xBE") || value.starts_with("\xC3\xBE\xC3\xBF")
            || value.starts_with("\xC3\xAF\xC2\xBB\xC2\xBF");
    return value.starts_with("\xFF\xFE") || value.starts_with("\xFE\xFF") || value.starts_with("\xEF\xBB\xBF");
}

// A line of nothing but this value would read as a blank line and be
// skipped, and the record (or the field names) with it: in quotes it reads
// back as it was, under either rule.
bool blankAlone(std::string_view value)
{
    return value.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

void CsvLineWriter::append(std::string& out, const std::vector<std::string_view>& values, bool atFileStart) const
{
    appendLine(out, values.data(), values.size(), atFileStart);
}

void CsvLineWriter::appendLines(std::string& out, const std::string_view* values, std::size_t width,
                                std::size_t count, bool atFileStart, const std::uint8_t* whole) const
{
    if (count == 0)
        return;
    std::size_t from = 0;
    if (atFileStart) {
        appendLine(out, values, width, true);
        from = 1;
    }
    if (!m_quoteAll && !m_standard) {
        appendJoined(out, values + from * width, width, count - from, whole ? whole + from : nullptr);
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
        if (m_quoteAll || (m_standard ? needsQuotes(values[i], onlyValue) : onlyValue && blankAlone(values[i]))
            || (i == 0 && atFileStart && beginsLikeMark(values[i], m_western)))
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
                                 std::size_t count, const std::uint8_t* whole) const
{
    const std::size_t separators = width == 0 ? 0 : width - 1;
    const std::size_t joins = separators * m_separator.size();
    const bool onlyValue = width == 1;
    std::size_t bytes = count * m_lineEnd.size();
    for (std::size_t r = 0; r < count; ++r) {
        const std::string_view* line = values + r * width;
        if (whole && whole[r]) {
            bytes += line[0].size();
            continue;
        }
        bytes += joins;
        for (std::size_t f = 0; f < width; ++f)
            bytes += line[f].size();
        if (onlyValue && blankAlone(line[0]))
            bytes += 2;
    }
    const std::size_t at = out.size();
    out.resize(at + bytes);
    char* to = out.data() + at;
    const auto copy = [&to](std::string_view text) { to = copyShort(to, text.data(), text.size()); };
    const bool oneByteSeparator = m_separator.size() == 1;
    for (std::size_t r = 0; r < count; ++r) {
        const std::string_view* line = values + r * width;
        if (whole && whole[r]) {
            copy(line[0]);
        } else if (onlyValue && blankAlone(line[0])) {
            *to++ = '"';
            copy(line[0]);
            *to++ = '"';
        } else {
            for (std::size_t f = 0; f < width; ++f) {
                if (f > 0) {
                    if (oneByteSeparator)
                        *to++ = m_separator[0];
                    else
                        copy(m_separator);
                }
                copy(line[f]);
            }
        }
        copy(m_lineEnd);
    }
}
