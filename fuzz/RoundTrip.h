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

// False when the property does not hold; `folder` takes two scratch files.
inline bool holds(const std::uint8_t* data, std::size_t size, const std::string& folder)
{
    if (size < 1)
        return true;
    static const char* const separators[] = {",", ";", "\t", "|", "::"};
    const std::string separator = separators[(data[0] & 0x7) % 5];
    const bool header = (data[0] & 0x8) != 0;
    const bool quotes = (data[0] & 0x10) != 0;
    const std::string input = folder + "/input.csv";
    const std::string output = folder + "/output.csv";
    if (!writeBytes(input, data + 1, size - 1))
        return false;

    CSVDBS first;
    first.Seperator(separator);
    first.HeaderLine(header);
    first.FileName(input);
    if (!first.LoadFile())
        return true;
    first.FileName(output);
    if (!first.WriteFile(quotes))
        return false;

    // Nothing is escaped, so only a quoted save of values free of the
    // separator is promised to come back exactly.
    if (!quotes || holdsSeparator(first, separator))
        return true;
    CSVDBS second;
    second.Seperator(separator);
    second.HeaderLine(header);
    second.FileName(output);
    if (!second.LoadFile() || second.RecordCount() != first.RecordCount()
        || second.FieldCount() != first.FieldCount()
        || (header && second.GetFieldList() != first.GetFieldList()))
        return false;
    for (int r = 1; r <= first.RecordCount(); ++r)
        for (int f = 1; f <= first.FieldCount(); ++f)
            if (first.ValueAt(r, f) != second.ValueAt(r, f))
                return false;
    return true;
}

} // namespace roundtrip
