#include "store/journal/JournalFormat.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "store/CSVDBS.h"

namespace journal {

namespace {

constexpr std::array<std::uint32_t, 256> crcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void putU32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t getU32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)])) << (8 * i);
    return value;
}

// Lengths as base-128 digits, so that the short texts of a cell edit cost a
// byte each.
void putText(std::string& out, std::string_view text)
{
    std::uint64_t n = text.size();
    do {
        const auto digit = static_cast<unsigned char>(n & 0x7F);
        n >>= 7;
        out += static_cast<char>(n ? digit | 0x80 : digit);
    } while (n);
    out += text;
}

// Reads the texts of a payload after its kind; false when they do not fit it.
bool takeTexts(std::string_view payload, std::vector<std::string_view>& texts)
{
    std::size_t at = 1;
    while (at < payload.size()) {
        std::uint64_t n = 0;
        int shift = 0;
        while (true) {
            if (at >= payload.size() || shift > 56)
                return false;
            const auto byte = static_cast<unsigned char>(payload[at++]);
            n |= std::uint64_t(byte & 0x7F) << shift;
            shift += 7;
            if (!(byte & 0x80))
                break;
        }
        if (n > payload.size() - at)
            return false;
        texts.push_back(payload.substr(at, n));
        at += n;
    }
    return true;
}

std::string framed(const std::string& payload)
{
    std::string out;
    out.reserve(RecordHeaderSize + payload.size());
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    putU32(out, crc32(payload));
    return out + payload;
}

std::string payloadOf(Kind kind, const std::vector<std::string_view>& texts)
{
    std::string payload(1, static_cast<char>(kind));
    for (const std::string_view text : texts)
        putText(payload, text);
    return payload;
}

long long numberIn(std::string_view text)
{
    try {
        return std::stoll(std::string(text));
    } catch (const std::exception&) {
        return -1;
    }
}

bool readBase(const std::vector<std::string_view>& texts, Base& base)
{
    if (texts.size() % 2 != 0)
        return false;
    ReadChoices& c = base.choices;
    FileFacts& f = base.file;
    for (std::size_t i = 0; i < texts.size(); i += 2) {
        const std::string_view key = texts[i];
        const std::string value(texts[i + 1]);
        // Keys this version does not know are left for the version that wrote them.
        if (key == "path") f.path = value;
        else if (key == "size") f.size = numberIn(value);
        else if (key == "mtime") f.modifiedSeconds = numberIn(value);
        else if (key == "mtimeNs") f.modifiedNanoseconds = numberIn(value);
        else if (key == "inode") f.inode = static_cast<std::uint64_t>(numberIn(value));
        else if (key == "device") f.device = static_cast<std::uint64_t>(numberIn(value));
        else if (key == "separator") c.separator = value;
        else if (key == "header") c.headerLine = value == "1";
        else if (key == "headingsSuffice") c.headingsSuffice = value == "1";
        else if (key == "standard") c.standardQuoting = value == "1";
        else if (key == "loneLineFeeds") c.loneLineFeedsEndLines = value == "1";
        else if (key == "encoding") {
            const long long e = numberIn(value);
            if (e < 0 || e > static_cast<long long>(FileEncoding::Windows1252))
                return false;
            c.encoding = static_cast<FileEncoding>(e);
        }
    }
    return !f.path.empty() && !c.separator.empty();
}

} // namespace

std::uint32_t crc32(std::string_view bytes)
{
    static constexpr std::array<std::uint32_t, 256> table = crcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes)
        c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

ReadChoices ReadChoices::of(const CSVDBS& store)
{
    return {store.Seperator(), store.HeaderLine(), store.HeadingsSuffice(), store.StandardQuoting(),
            store.LoneLineFeedsEndLines(), store.Encoding()};
}

void ReadChoices::applyTo(CSVDBS& store) const
{
    store.Seperator(separator);
    store.HeaderLine(headerLine);
    store.HeadingsSuffice(headingsSuffice);
    store.StandardQuoting(standardQuoting);
    store.LoneLineFeedsEndLines(loneLineFeedsEndLines);
    store.Encoding(encoding);
}

std::string fileHeader()
{
    std::string out(Mark);
    putU32(out, Version);
    return out;
}

std::string baseRecord(const Base& base)
{
    const FileFacts& f = base.file;
    const ReadChoices& c = base.choices;
    const auto flag = [](bool on) { return on ? "1" : "0"; };
    const std::string size = std::to_string(f.size), seconds = std::to_string(f.modifiedSeconds),
                      nanoseconds = std::to_string(f.modifiedNanoseconds), inode = std::to_string(f.inode),
                      device = std::to_string(f.device), encoding = std::to_string(static_cast<int>(c.encoding));
    return framed(payloadOf(Kind::Base, {"path", f.path, "size", size, "mtime", seconds, "mtimeNs", nanoseconds,
                                         "inode", inode, "device", device, "separator", c.separator,
                                         "header", flag(c.headerLine), "headingsSuffice", flag(c.headingsSuffice),
                                         "standard", flag(c.standardQuoting),
                                         "loneLineFeeds", flag(c.loneLineFeedsEndLines), "encoding", encoding}));
}

std::string hashRecord(std::string_view hash) { return framed(payloadOf(Kind::FileHash, {hash})); }

std::string stepRecord(const StepOperation& operation)
{
    std::vector<std::string_view> texts{operation.name};
    for (const auto& [key, value] : operation.parameters) {
        texts.push_back(key);
        texts.push_back(value);
    }
    return framed(payloadOf(Kind::Step, texts));
}

std::string markRecord(Kind kind) { return framed(std::string(1, static_cast<char>(kind))); }

Contents read(std::string_view bytes)
{
    Contents out;
    const auto fail = [&out](std::string why) {
        out.problem = Contents::Problem::Unreadable;
        out.error = std::move(why);
        return out;
    };
    if (bytes.size() < FileHeaderSize || bytes.substr(0, Mark.size()) != Mark)
        return fail("It is not a journal of this program's.");
    out.version = getU32(bytes.substr(Mark.size()));
    if (out.version > Version) {
        out.problem = Contents::Problem::NewerVersion;
        out.error = "It was written by a newer version of the program (journal version " + std::to_string(out.version) + ").";
        return out;
    }
    if (out.version == 0)
        return fail("Its version is not one.");
    std::size_t at = FileHeaderSize;
    bool haveBase = false;
    while (at < bytes.size()) {
        const std::size_t left = bytes.size() - at;
        const std::uint32_t length = left >= RecordHeaderSize ? getU32(bytes.substr(at)) : 0;
        // A record that does not fit, or whose checksum fails, is where the
        // writing stopped; nothing after it is trusted.
        if (left < RecordHeaderSize || length == 0 || length > left - RecordHeaderSize
            || crc32(bytes.substr(at + RecordHeaderSize, length)) != getU32(bytes.substr(at + 4))) {
            out.torn = true;
            break;
        }
        const std::string_view payload = bytes.substr(at + RecordHeaderSize, length);
        at += RecordHeaderSize + length;
        std::vector<std::string_view> texts;
        if (!takeTexts(payload, texts))
            return fail("A record's texts do not fit it.");
        const auto kind = static_cast<Kind>(payload[0]);
        if (!haveBase) {
            if (kind != Kind::Base || !readBase(texts, out.base))
                return fail("It does not say which file it belongs to.");
            haveBase = true;
            continue;
        }
        switch (kind) {
        case Kind::FileHash:
            if (texts.size() != 1)
                return fail("Its file hash is not one.");
            out.hash = std::string(texts[0]);
            break;
        case Kind::Step: {
            if (texts.empty() || texts.size() % 2 != 1)
                return fail("A step's parameters do not pair.");
            Entry entry{Kind::Step, {std::string(texts[0]), {}}};
            for (std::size_t i = 1; i < texts.size(); i += 2)
                entry.operation.parameters.emplace_back(std::string(texts[i]), std::string(texts[i + 1]));
            out.entries.push_back(std::move(entry));
            break;
        }
        case Kind::Undo:
            out.entries.push_back({Kind::Undo, {}});
            break;
        case Kind::LostTrack:
            out.lostTrack = true;
            break;
        default:
            return fail("It holds a record of a kind this version does not know.");
        }
    }
    if (!haveBase)
        return fail("It was cut off before it said which file it belongs to.");
    return out;
}

Contents readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Contents out;
        out.problem = Contents::Problem::Unreadable;
        out.error = std::string("It cannot be read: ") + std::strerror(errno) + ".";
        return out;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return read(bytes);
}

} // namespace journal
