#pragma once

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "store/CSVDBS.h"
#include "store/replace/TextReplace.h"

// Where Find Next goes: the first cell after (`row`, `column`), reading row
// by row, whose value `matcher` matches, among `rows` × `columns` (grid
// rows, and 0-based fields, each ascending); it wraps round past the last
// row and ends at the cell it started from. `recordAt` gives the record a
// grid row shows.
template <typename RecordAt>
std::optional<std::pair<int, int>> findNext(const CSVDBS& store, const textreplace::Matcher& matcher,
                                            const std::vector<int>& rows, const std::vector<int>& columns, int row,
                                            int column, RecordAt recordAt)
{
    if (rows.empty() || columns.empty())
        return std::nullopt;
    // The first row at or after the current one; its cells after the
    // current column come first and those up to it last.
    const std::size_t start = static_cast<std::size_t>(std::lower_bound(rows.begin(), rows.end(), row) - rows.begin());
    const bool onStartRow = start < rows.size() && rows[start] == row;
    for (std::size_t k = 0; k <= rows.size(); ++k) {
        const std::size_t i = (start + k) % rows.size();
        const bool first = k == 0, last = k == rows.size();
        if (last && !onStartRow)
            break;
        const CSVDBS::RecordNo record = recordAt(rows[i]);
        for (const int c : columns) {
            if (onStartRow && first && c <= column)
                continue;
            if (onStartRow && last && c > column)
                break;
            if (matcher.matches(store.ValueAt(record, c + 1)))
                return std::pair(rows[i], c);
        }
    }
    return std::nullopt;
}
