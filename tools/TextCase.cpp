#include "tools/TextCase.h"

#include <vector>

#include <QString>

#include "store/table/TextFold.h"

namespace {

enum class To { Upper, Lower, Keep };

bool isAscii(std::string_view text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

char asciiTo(char c, To to)
{
    if (to == To::Upper && c >= 'a' && c <= 'z')
        return static_cast<char>(c - 32);
    if (to == To::Lower && c >= 'A' && c <= 'Z')
        return static_cast<char>(c + 32);
    return c;
}

// One character of the text: a valid UTF-8 sequence, or a single byte.
struct Char {
    std::string_view bytes;
    bool valid;
};

std::vector<Char> characters(std::string_view text)
{
    std::vector<Char> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : utf8SequenceLength(text, i);
        const bool valid = len > 0;
        if (!valid)
            len = 1;
        out.push_back({text.substr(i, len), valid});
        i += len;
    }
    return out;
}

void append(std::string& out, const Char& c, To to)
{
    if (c.bytes.size() == 1) {
        out.push_back(c.valid ? asciiTo(c.bytes[0], to) : c.bytes[0]);
        return;
    }
    if (!c.valid || to == To::Keep) {
        out.append(c.bytes);
        return;
    }
    const QString one = QString::fromUtf8(c.bytes.data(), static_cast<qsizetype>(c.bytes.size()));
    const QByteArray converted = (to == To::Upper ? one.toUpper() : one.toLower()).toUtf8();
    out.append(converted.constData(), static_cast<std::size_t>(converted.size()));
}

std::string convertEach(std::string_view text, To to)
{
    std::string out;
    out.reserve(text.size());
    if (isAscii(text)) {
        for (char c : text)
            out.push_back(asciiTo(c, to));
        return out;
    }
    for (const Char& c : characters(text))
        append(out, c, to);
    return out;
}

bool startsWord(std::string_view c)
{
    if (c.size() != 1)
        return false;
    switch (c[0]) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r': case '\0':
        return true;
    default:
        return false;
    }
}

} // namespace

// The store folds names by the same rule; one routine serves both.
std::string toUpperCase(std::string_view text) { return upperCased(text); }

std::string toLowerCase(std::string_view text) { return convertEach(text, To::Lower); }

std::string toProperCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool wordStart = true;
    for (const Char& c : characters(text)) {
        if (c.valid && startsWord(c.bytes)) {
            out.append(c.bytes);
            wordStart = true;
            continue;
        }
        append(out, c, wordStart ? To::Upper : To::Lower);
        wordStart = false;
    }
    return out;
}

std::string toSentenceCase(std::string_view text)
{
    const std::vector<Char> chars = characters(text);
    std::vector<bool> raise(chars.size(), false);
    if (!chars.empty())
        raise[0] = true;
    const auto is = [&](std::size_t i, char c) { return chars[i].bytes.size() == 1 && chars[i].bytes[0] == c; };
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (!is(i, '.'))
            continue;
        std::size_t next = i + 1;
        while (next < chars.size() && is(next, ' '))
            ++next;
        if (next == chars.size())
            break;
        // Whatever follows is raised, a second full stop included, and the scan
        // goes on after it.
        raise[next] = true;
        i = next;
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < chars.size(); ++i)
        append(out, chars[i], raise[i] ? To::Upper : To::Keep);
    return out;
}

std::string convertCase(std::string_view text, CaseStyle style)
{
    switch (style) {
    case CaseStyle::Proper:
        return toProperCase(text);
    case CaseStyle::Upper:
        return toUpperCase(text);
    case CaseStyle::Lower:
        return toLowerCase(text);
    case CaseStyle::Sentence:
        return toSentenceCase(text);
    }
    return std::string(text);
}
