#pragma once

#include <string>
#include <vector>

#include "export/GridText.h"

// A grid given as plain lists: headings, then rows of cell texts.
class FakeGrid final : public GridText {
public:
    FakeGrid(std::vector<std::string> headings, std::vector<std::vector<std::string>> rows)
        : m_headings(std::move(headings)), m_rows(std::move(rows)) {}

    int headingCount() const override { return static_cast<int>(m_headings.size()); }
    int shownRows() const override { return static_cast<int>(m_rows.size()); }
    const std::string& headingText(int c) const override { return m_headings[static_cast<std::size_t>(c)]; }
    std::string_view cellBytes(int r, int c) const override
    {
        return m_rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    }

private:
    std::vector<std::string> m_headings;
    std::vector<std::vector<std::string>> m_rows;
};
