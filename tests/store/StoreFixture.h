#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "tests/support/TempDir.h"

using Rows = std::vector<std::vector<std::string>>;

// Every value of the store, record by record, in field order.
inline Rows rowsOf(const CSVDBS& s)
{
    Rows rows;
    for (int r = 1; r <= s.RecordCount(); ++r) {
        rows.emplace_back();
        for (int f = 1; f <= s.FieldCount(); ++f)
            rows.back().emplace_back(s.ValueAt(r, f));
    }
    return rows;
}

// The text a save under the simple rule writes: names and values as they
// stand, joined by `separator`, each line ended by `lineEnd`; a lone value of
// spaces or nothing in quotes, so that its line is not blank.
inline std::string joinedText(const CSVDBS& s, const std::string& separator, const std::string& lineEnd = "\r\n")
{
    std::string text;
    const auto line = [&](const std::vector<std::string>& values) {
        if (values.size() == 1 && values[0].find_first_not_of(' ') == std::string::npos)
            text += '"' + values[0] + '"';
        else
            for (std::size_t i = 0; i < values.size(); ++i)
                text += (i ? separator : "") + values[i];
        text += lineEnd;
    };
    line(s.GetFieldList());
    for (const auto& row : rowsOf(s))
        line(row);
    return text;
}

// `text` in UTF-16 of either byte order, with its mark.
inline std::string utf16WithMark(bool bigEndian, const std::u16string& text)
{
    std::string out = bigEndian ? std::string("\xFE\xFF", 2) : std::string("\xFF\xFE", 2);
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

// A store loaded from text written to a private folder.
class StoreTest : public ::testing::Test {
protected:
    void load(std::string_view text, bool header = true)
    {
        m_store.FileName(m_dir.file("in.csv", text));
        m_store.HeaderLine(header);
        ASSERT_TRUE(m_store.LoadFile()) << m_store.LastFileError();
    }
    std::vector<std::string> column(int field) const
    {
        std::vector<std::string> out;
        for (int r = 1; r <= m_store.RecordCount(); ++r)
            out.emplace_back(m_store.ValueAt(r, field));
        return out;
    }

    TempDir m_dir;
    CSVDBS m_store;
};
