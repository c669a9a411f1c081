#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "store/CSVDBS.h"

// The property the fuzzer checks and the regression test replays: whatever
// loads must save, and a quoted save of values free of the separator must load
// again to the same names and values. The first byte of an input chooses the
// separator, the header setting and the quoting; the rest is the file.
namespace roundtrip {

inline bool writeBytes(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}

inline bool holdsSeparator(const CSVDBS& store, const std::string& separator)
{
    for (const std::string& name : store.GetFieldList())
        if (name.find(separator) != std::string::npos)
            return true;
    for (int r = 1; r <= store.RecordCount(); ++r)
        for (int f = 1; f <= store.FieldCount(); ++f)
            if (store.ValueAt(r, f).find(separator) != std::string_view::npos)
                return true;
    return false;
}

inline bool sameContents(const CSVDBS& first, const CSVDBS& second, bool header)
{
    if (second.RecordCount() != first.RecordCount() || second.FieldCount() != first.FieldCount()
        || (header && second.GetFieldList() != first.GetFieldList()))
        return false;
    for (int r = 1; r <= first.RecordCount(); ++r)
        for (int f = 1; f <= first.FieldCount(); ++f)
            if (first.ValueAt(r, f) != second.ValueAt(r, f))
                return false;
    return true;
}

// False when the property does not hold; `folder` takes two scratch files.
// Bits of the first byte: 0-2 separator, 3 header, 4 quotes, 5 the standard
// rule, 6-7 the encoding (UTF-8, Western, or the rest behind a UTF-16 mark).
inline bool holds(const std::uint8_t* data, std::size_t size, const std::string& folder)
{
    if (size < 1)
        return true;
    static const char* const separators[] = {",", ";", "\t", "|", "::"};
    const std::string separator = separators[(data[0] & 0x7) % 5];
    const bool header = (data[0] & 0x8) != 0;
    const bool quotes = (data[0] & 0x10) != 0;
    const bool standard = (data[0] & 0x20) != 0;
    const int encoding = data[0] >> 6;
    const std::string input = folder + "/input.csv";
    const std::string output = folder + "/output.csv";
    std::string bytes = encoding == 2 ? "\xFF\xFE" : encoding == 3 ? "\xFE\xFF" : "";
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    if (!writeBytes(input, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
        return false;

    const auto configure = [&](CSVDBS& s, const std::string& path) {
        s.Seperator(separator);
        s.HeaderLine(header);
        s.StandardQuoting(standard);
        s.Encoding(encoding == 1 ? FileEncoding::Windows1252 : FileEncoding::Utf8);
        s.FileName(path);
    };
    CSVDBS first;
    configure(first, input);
    if (!first.LoadFile())
        return true;
    first.FileName(output);
    // Whatever was read from a file in an encoding can be written back in it.
    if (!first.WriteFile(quotes))
        return false;

    // The standard rule promises every save back; the simple rule, which
    // escapes nothing, only a quoted save of values free of the separator.
    if (!standard && (!quotes || holdsSeparator(first, separator)))
        return true;
    CSVDBS second;
    configure(second, output);
    return second.LoadFile() && second.Encoding() == first.Encoding() && second.IgnoredLines() == 0
        && sameContents(first, second, header);
}

} // namespace roundtrip
