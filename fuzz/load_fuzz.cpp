// Round trip of the CSV reader and writer: whatever loads must save and load
// again to the same names and values.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "store/CSVDBS.h"

namespace {

const std::string& workFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/tabvane-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

void writeBytes(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
}

bool holdsSeparator(const CSVDBS& store, const std::string& separator)
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const char* const separators[] = {",", ";", "\t", "|", "::"};
    const std::string separator = separators[(data[0] & 0x7) % 5];
    const bool header = (data[0] & 0x8) != 0;
    const bool quotes = (data[0] & 0x10) != 0;
    const std::string input = workFolder() + "/input.csv";
    const std::string output = workFolder() + "/output.csv";
    writeBytes(input, data + 1, size - 1);

    CSVDBS first;
    first.Seperator(separator);
    first.HeaderLine(header);
    first.FileName(input);
    if (!first.LoadFile())
        return 0;
    first.FileName(output);
    if (!first.WriteFile(quotes))
        std::abort();

    // Nothing is escaped, so only a quoted save of values free of the
    // separator is promised to come back exactly.
    if (!quotes || holdsSeparator(first, separator))
        return 0;
    CSVDBS second;
    second.Seperator(separator);
    second.HeaderLine(header);
    second.FileName(output);
    if (!second.LoadFile() || second.RecordCount() != first.RecordCount()
        || second.FieldCount() != first.FieldCount()
        || (header && second.GetFieldList() != first.GetFieldList()))
        std::abort();
    for (int r = 1; r <= first.RecordCount(); ++r)
        for (int f = 1; f <= first.FieldCount(); ++f)
            if (first.ValueAt(r, f) != second.ValueAt(r, f))
                std::abort();
    return 0;
}
