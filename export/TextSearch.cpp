#include "export/TextSearch.h"

#include <algorithm>

namespace {

constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

TextSearch::TextSearch(std::string_view needle)
    : m_needle(QString::fromUtf8(needle.data(), static_cast<qsizetype>(needle.size())))
{
    const QString folded = m_needle.toCaseFolded();
    for (QChar c : folded) {
        if (c.unicode() >= 0x80) {
            m_foldsToAscii = false;
            break;
        }
        m_foldedAscii += static_cast<char>(c.unicode());
    }
}

bool TextSearch::asciiFoundIn(std::string_view value) const
{
    const std::size_t n = m_foldedAscii.size();
    if (n == 0)
        return true;
    if (value.size() < n)
        return false;
    const char first = m_foldedAscii[0];
    for (std::size_t i = 0; i + n <= value.size(); ++i) {
        if (lowerAscii(value[i]) != first)
            continue;
        std::size_t k = 1;
        while (k < n && lowerAscii(value[i + k]) == m_foldedAscii[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

bool TextSearch::foundIn(std::string_view value) const
{
    // The usual value is plain ASCII, where case is one table; anything else
    // goes through Qt's Unicode case folding.
    if (isAscii(value))
        return m_foldsToAscii && asciiFoundIn(value);
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()))
        .contains(m_needle, Qt::CaseInsensitive);
}
