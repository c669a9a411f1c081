#include "store/cluster/ClusterKeys.h"

#include <algorithm>
#include <array>

#include "store/table/TextFold.h"

namespace cluster {

namespace {

// The base letters of the Latin-1 Supplement and Latin Extended-A letters
// (U+00C0 to U+017F), lower-case: what Unicode's canonical decomposition
// leaves once the combining marks go, and for the letters that have no
// decomposition (Æ, Ø, Đ, Ł, ß, Þ, Œ ...) the letters they are written with
// where a keyboard lacks them. Other scripts keep their letters, lower-cased
// only for basic Greek and Cyrillic.
struct BaseRange {
    Unit first, last;
    const char* base;
};
constexpr BaseRange BaseLetters[] = {
    {0xC0, 0xC5, "a"},   {0xC6, 0xC6, "ae"},  {0xC7, 0xC7, "c"},   {0xC8, 0xCB, "e"},   {0xCC, 0xCF, "i"},
    {0xD0, 0xD0, "d"},   {0xD1, 0xD1, "n"},   {0xD2, 0xD6, "o"},   {0xD7, 0xD7, ""},    {0xD8, 0xD8, "o"},
    {0xD9, 0xDC, "u"},   {0xDD, 0xDD, "y"},   {0xDE, 0xDE, "th"},  {0xDF, 0xDF, "ss"},  {0xE0, 0xE5, "a"},
    {0xE6, 0xE6, "ae"},  {0xE7, 0xE7, "c"},   {0xE8, 0xEB, "e"},   {0xEC, 0xEF, "i"},   {0xF0, 0xF0, "d"},
    {0xF1, 0xF1, "n"},   {0xF2, 0xF6, "o"},   {0xF7, 0xF7, ""},    {0xF8, 0xF8, "o"},   {0xF9, 0xFC, "u"},
    {0xFD, 0xFD, "y"},   {0xFE, 0xFE, "th"},  {0xFF, 0xFF, "y"},   {0x100, 0x105, "a"}, {0x106, 0x10D, "c"},
    {0x10E, 0x111, "d"}, {0x112, 0x11B, "e"}, {0x11C, 0x123, "g"}, {0x124, 0x127, "h"}, {0x128, 0x131, "i"},
    {0x132, 0x133, "ij"}, {0x134, 0x135, "j"}, {0x136, 0x138, "k"}, {0x139, 0x142, "l"}, {0x143, 0x14B, "n"},
    {0x14C, 0x151, "o"}, {0x152, 0x153, "oe"}, {0x154, 0x159, "r"}, {0x15A, 0x161, "s"}, {0x162, 0x167, "t"},
    {0x168, 0x173, "u"}, {0x174, 0x175, "w"}, {0x176, 0x178, "y"}, {0x179, 0x17E, "z"}, {0x17F, 0x17F, "s"},
};
constexpr Unit TableFirst = 0xC0, TableLast = 0x17F;

const std::array<const char*, TableLast - TableFirst + 1>& baseTable()
{
    static const auto table = [] {
        std::array<const char*, TableLast - TableFirst + 1> t{};
        for (const BaseRange& r : BaseLetters)
            for (Unit u = r.first; u <= r.last; ++u)
                t[u - TableFirst] = r.base;
        return t;
    }();
    return table;
}

enum class Kind { Kept, Space, Dropped };

Kind kindOf(Unit u)
{
    if (u >= ByteUnit)
        return Kind::Kept;
    if (u < 0x80) {
        if (u == ' ' || (u >= '\t' && u <= '\r'))
            return Kind::Space;
        const bool alnum = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
        return alnum ? Kind::Kept : Kind::Dropped; // punctuation, symbols, controls
    }
    if (u == 0xA0 || (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F
        || u == 0x3000)
        return Kind::Space;
    if (u < 0xC0 || u == 0xD7 || u == 0xF7 || (u >= 0x300 && u <= 0x36F) || (u >= 0x200B && u <= 0x206F)
        || (u >= 0x3001 && u <= 0x3003) || u == 0xFEFF)
        return Kind::Dropped; // C1 controls, Latin-1 signs, combining marks, general punctuation
    return Kind::Kept;
}

// Appends the folded form of a kept unit: lower-cased, accents stripped.
void appendFolded(Unit u, std::vector<Unit>& out)
{
    if (u >= 'A' && u <= 'Z') {
        out.push_back(u + 32);
    } else if (u >= TableFirst && u <= TableLast) {
        for (const char* c = baseTable()[u - TableFirst]; *c; ++c)
            out.push_back(static_cast<Unit>(*c));
    } else if ((u >= 0x391 && u <= 0x3A9 && u != 0x3A2) || (u >= 0x410 && u <= 0x42F)) {
        out.push_back(u + 0x20);
    } else if (u >= 0x400 && u <= 0x40F) {
        out.push_back(u + 0x50);
    } else {
        out.push_back(u);
    }
}

void appendEncoded(Unit u, std::string& out)
{
    if (u >= ByteUnit) {
        // 0xFF never occurs in UTF-8, so a byte so marked meets no code point.
        out += '\xFF';
        out += static_cast<char>(u - ByteUnit);
    } else if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// The folded words of `value`: each a run of folded units between spaces.
std::vector<std::vector<Unit>> foldedWords(std::string_view value)
{
    std::vector<Unit> units;
    unitsOf(value, units);
    std::vector<std::vector<Unit>> words(1);
    for (const Unit u : units) {
        const Kind kind = kindOf(u);
        if (kind == Kind::Space && !words.back().empty())
            words.emplace_back();
        else if (kind == Kind::Kept)
            appendFolded(u, words.back());
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

} // namespace

void unitsOf(std::string_view value, std::vector<Unit>& out)
{
    out.clear();
    bool valid = true;
    for (std::size_t i = 0; i < value.size();) {
        const auto b = static_cast<unsigned char>(value[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(value, i);
        if (length == 0) {
            valid = false;
            break;
        }
        Unit u = b & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            u = u << 6 | (static_cast<unsigned char>(value[i + k]) & 0x3F);
        out.push_back(u);
        i += length;
    }
    if (valid)
        return;
    out.clear();
    for (const char c : value) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b < 0x80 ? Unit(b) : ByteUnit + b);
    }
}

std::string fingerprint(std::string_view value)
{
    std::vector<std::string> tokens;
    for (const std::vector<Unit>& word : foldedWords(value)) {
        std::string token;
        for (const Unit u : word)
            appendEncoded(u, token);
        tokens.push_back(std::move(token));
    }
    std::sort(tokens.begin(), tokens.end());
    tokens.erase(std::unique(tokens.begin(), tokens.end()), tokens.end());
    std::string key;
    for (const std::string& token : tokens) {
        if (!key.empty())
            key += ' ';
        key += token;
    }
    return key;
}

std::string ngramFingerprint(std::string_view value, int n)
{
    std::vector<Unit> text;
    for (const std::vector<Unit>& word : foldedWords(value))
        text.insert(text.end(), word.begin(), word.end());
    if (text.empty())
        return {};
    const std::size_t size = static_cast<std::size_t>(std::max(n, 1));
    std::vector<std::string> grams;
    for (std::size_t i = 0; i == 0 || i + size <= text.size(); ++i) {
        std::string gram;
        for (std::size_t k = i; k < std::min(i + size, text.size()); ++k)
            appendEncoded(text[k], gram);
        grams.push_back(std::move(gram));
    }
    std::sort(grams.begin(), grams.end());
    grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
    std::string key;
    for (const std::string& gram : grams)
        key += gram;
    return key;
}

namespace {

// The code of one word's letters (a to z only, after folding), by the rules
// of Cologne phonetics: each letter's digit by its neighbours, repeated
// digits as one, and every 0 but a first one dropped.
std::string cologneCode(const std::vector<char>& w)
{
    const auto at = [&](std::size_t i) { return i < w.size() ? w[i] : '\0'; };
    const auto in = [](char c, const char* set) { return c != '\0' && std::string_view(set).find(c) != std::string_view::npos; };
    std::string digits;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char c = w[i], before = i > 0 ? w[i - 1] : '\0', after = at(i + 1);
        std::string code;
        switch (c) {
        case 'a': case 'e': case 'i': case 'j': case 'o': case 'u': case 'y': code = "0"; break;
        case 'h': break;
        case 'b': code = "1"; break;
        case 'p': code = after == 'h' ? "3" : "1"; break;
        case 'd': case 't': code = in(after, "csz") ? "8" : "2"; break;
        case 'f': case 'v': case 'w': code = "3"; break;
        case 'g': case 'k': case 'q': code = "4"; break;
        case 'c':
            if (i == 0)
                code = in(after, "ahkloqrux") ? "4" : "8";
            else
                code = in(after, "ahkoqux") && !in(before, "sz") ? "4" : "8";
            break;
        case 'x': code = in(before, "ckq") ? "8" : "48"; break;
        case 'l': code = "5"; break;
        case 'm': case 'n': code = "6"; break;
        case 'r': code = "7"; break;
        case 's': case 'z': code = "8"; break;
        default: break;
        }
        digits += code;
    }
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && digits[i] == digits[i - 1])
            continue;
        if (digits[i] == '0' && !out.empty())
            continue;
        out += digits[i];
    }
    return out;
}

} // namespace

std::string colognePhonetic(std::string_view value)
{
    std::string key;
    for (const std::vector<Unit>& word : foldedWords(value)) {
        std::vector<char> letters;
        for (const Unit u : word)
            if (u >= 'a' && u <= 'z')
                letters.push_back(static_cast<char>(u));
        const std::string code = cologneCode(letters);
        if (code.empty())
            continue;
        if (!key.empty())
            key += ' ';
        key += code;
    }
    return key;
}

int boundedLevenshtein(const std::vector<Unit>& a, const std::vector<Unit>& b, int limit)
{
    const std::vector<Unit>& s = a.size() <= b.size() ? a : b; // the shorter
    const std::vector<Unit>& t = a.size() <= b.size() ? b : a;
    const int n = static_cast<int>(s.size()), m = static_cast<int>(t.size());
    if (m - n > limit)
        return limit + 1;
    // Only the band |i - j| <= limit of the table can hold a distance within it.
    const int big = limit + 1;
    std::vector<int> row(static_cast<std::size_t>(m) + 1), next(row.size());
    for (int j = 0; j <= m; ++j)
        row[static_cast<std::size_t>(j)] = j <= limit ? j : big;
    for (int i = 1; i <= n; ++i) {
        const int from = std::max(1, i - limit), to = std::min(m, i + limit);
        std::fill(next.begin(), next.end(), big);
        next[0] = i <= limit ? i : big;
        int best = next[0];
        for (int j = from; j <= to; ++j) {
            const auto J = static_cast<std::size_t>(j);
            const int substitute = row[J - 1] + (s[static_cast<std::size_t>(i - 1)] == t[J - 1] ? 0 : 1);
            next[J] = std::min({substitute, row[J] + 1, next[J - 1] + 1, big});
            best = std::min(best, next[J]);
        }
        if (best > limit)
            return big;
        row.swap(next);
    }
    return std::min(row[static_cast<std::size_t>(m)], big);
}

} // namespace cluster
