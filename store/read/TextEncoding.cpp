#include "store/read/TextEncoding.h"

#include <algorithm>
#include <cstring>

#include "store/read/ByteScan.h"
#include "store/ParallelParse.h"

namespace {

constexpr char32_t Invalid = 0xFFFFFFFF;

// Windows-1252 from 0x80 to 0x9F; 0 marks the five bytes it leaves undefined.
constexpr char16_t HighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// One UTF-8 character at `p`: its code point and length, or Invalid and 1.
char32_t decodeUtf8(const unsigned char* p, const unsigned char* end, std::size_t& length)
{
    length = 1;
    const unsigned char b = *p;
    if (b < 0x80)
        return b;
    std::size_t n = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((b & 0xE0) == 0xC0) {
        n = 2, cp = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3, cp = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4, cp = b & 0x07, least = 0x10000;
    } else {
        return Invalid;
    }
    if (static_cast<std::size_t>(end - p) < n)
        return Invalid;
    for (std::size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return Invalid;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return Invalid;
    length = n;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUnit(std::string& out, char16_t unit, bool bigEndian)
{
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// The Windows-1252 byte for `cp`, or -1 when it has none.
int windows1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    if (cp >= 0x80 && cp <= 0x9F)
        return HighControls[cp - 0x80] == 0 ? static_cast<int>(cp) : -1;
    for (int i = 0; i < 32; ++i)
        if (HighControls[i] != 0 && HighControls[i] == cp)
            return 0x80 + i;
    return -1;
}

std::unique_ptr<char[]> toBuffer(const std::string& text, std::size_t& size)
{
    auto buffer = std::make_unique_for_overwrite<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.data(), text.size());
    size = text.size();
    return buffer;
}

bool decodeUtf16(bool bigEndian, const unsigned char* p, std::size_t size, std::string& out,
                 std::string& error)
{
    if (size % 2 != 0) {
        error = "The file is marked as UTF-16 but has an odd number of bytes, so its last character is cut off.";
        return false;
    }
    const auto unitAt = [&](std::size_t i) {
        return static_cast<char16_t>(bigEndian ? (p[i] << 8) | p[i + 1] : (p[i + 1] << 8) | p[i]);
    };
    out.reserve(size);
    for (std::size_t i = 0; i < size; i += 2) {
        const char16_t unit = unitAt(i);
        if (unit < 0xD800 || unit > 0xDFFF) {
            appendUtf8(out, unit);
            continue;
        }
        const char16_t next = i + 2 < size ? unitAt(i + 2) : 0;
        if (unit > 0xDBFF || next < 0xDC00 || next > 0xDFFF) {
            error = "The file is marked as UTF-16 but holds a broken character (an unpaired surrogate) at byte "
                + std::to_string(i) + ".";
            return false;
        }
        appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (next - 0xDC00));
        i += 2;
    }
    return true;
}

} // namespace

FileEncoding utf16MarkOf(const char* bytes, std::size_t size)
{
    if (size >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return FileEncoding::Utf16LE;
    if (size >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return FileEncoding::Utf16BE;
    return FileEncoding::Utf8;
}

FileEncoding unmarkedUtf16Of(const char* bytes, std::size_t size)
{
    // Text in a Latin script has a zero byte in nearly every unit, all on one
    // side; a run of zero bytes (or a binary file) has them on both sides.
    const std::size_t units = std::min<std::size_t>(size, 1024) / 2;
    if (units < 2)
        return FileEncoding::Utf8;
    std::size_t zeros[2] = {0, 0};
    for (std::size_t i = 0; i < units * 2; ++i)
        zeros[i % 2] += bytes[i] == '\0';
    const auto oneSided = [&](std::size_t high, std::size_t low) { return high * 4 >= units * 3 && low * 8 <= units; };
    if (oneSided(zeros[1], zeros[0]))
        return FileEncoding::Utf16LE;
    if (oneSided(zeros[0], zeros[1]))
        return FileEncoding::Utf16BE;
    return FileEncoding::Utf8;
}

namespace {

bool validUtf8Run(const char* bytes, std::size_t size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = p + size;
    while (p < end) {
        // Most text is ASCII: skip it many bytes at a time.
        p = reinterpret_cast<const unsigned char*>(
            bytescan::firstNonAscii(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(end)));
        if (p == end)
            break;
        std::size_t length = 1;
        if (decodeUtf8(p, end, length) == Invalid)
            return false;
        p += length;
    }
    return true;
}

} // namespace

bool isValidUtf8(const char* bytes, std::size_t size)
{
    // A large text is checked in two halves at once, cut before a byte that
    // starts a character: no sequence runs across such a byte, so the whole
    // is valid exactly when both halves are.
    if (parallel::partsFor(size, std::size_t{8} << 20) < 2)
        return validUtf8Run(bytes, size);
    std::size_t cut = size / 2;
    for (int i = 0; i < 4 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80; ++i)
        ++cut;
    bool valid[2] = {};
    parallel::run(2, [&](std::size_t i) {
        valid[i] = i == 0 ? validUtf8Run(bytes, cut) : validUtf8Run(bytes + cut, size - cut);
    });
    return valid[0] && valid[1];
}

bool decodeToUtf8(FileEncoding encoding, const char* bytes, std::size_t size,
                  std::unique_ptr<char[]>& out, std::size_t& outSize, std::string& error)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    std::string text;
    switch (encoding) {
    case FileEncoding::Utf8:
        text.assign(bytes, size);
        break;
    case FileEncoding::Utf16LE:
    case FileEncoding::Utf16BE:
        if (utf16MarkOf(bytes, size) == encoding)
            p += 2, size -= 2;
        if (!decodeUtf16(encoding == FileEncoding::Utf16BE, p, size, text, error))
            return false;
        break;
    case FileEncoding::Windows1252:
        text.reserve(size + size / 8);
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char b = p[i];
            if (b >= 0x80 && b <= 0x9F && HighControls[b - 0x80] != 0)
                appendUtf8(text, HighControls[b - 0x80]);
            else
                appendUtf8(text, b);
        }
        break;
    }
    out = toBuffer(text, outSize);
    return true;
}

std::string_view byteOrderMarkOf(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf16LE:
        return {"\xFF\xFE", 2};
    case FileEncoding::Utf16BE:
        return {"\xFE\xFF", 2};
    default:
        return {};
    }
}

bool encodeFromUtf8(FileEncoding encoding, std::string_view utf8, std::string& out, std::string& bad)
{
    if (encoding == FileEncoding::Utf8) {
        out += utf8;
        return true;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    const bool bigEndian = encoding == FileEncoding::Utf16BE;
    while (p < end) {
        std::size_t length = 1;
        char32_t cp = decodeUtf8(p, end, length);
        if (encoding == FileEncoding::Windows1252) {
            const int b = cp == Invalid ? *p : windows1252Byte(cp);
            if (b < 0) {
                bad.assign(reinterpret_cast<const char*>(p), length);
                return false;
            }
            out += static_cast<char>(b);
        } else {
            // Text from a UTF-16 file is valid UTF-8; a stray byte can only
            // come from elsewhere and is kept as the character of that number.
            if (cp == Invalid)
                cp = *p;
            if (cp < 0x10000) {
                appendUnit(out, static_cast<char16_t>(cp), bigEndian);
            } else {
                appendUnit(out, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), bigEndian);
                appendUnit(out, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)), bigEndian);
            }
        }
        p += length;
    }
    return true;
}

bool fitsWindows1252(std::string_view utf8, std::string& bad)
{
    std::string scratch;
    return encodeFromUtf8(FileEncoding::Windows1252, utf8, scratch, bad);
}

std::string encodingName(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf8:
        return "UTF-8";
    case FileEncoding::Utf16LE:
        return "UTF-16 (little-endian)";
    case FileEncoding::Utf16BE:
        return "UTF-16 (big-endian)";
    case FileEncoding::Windows1252:
        return "Western (Windows-1252)";
    }
    return {};
}
