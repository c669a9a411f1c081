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
