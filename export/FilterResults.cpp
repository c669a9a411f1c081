#include "export/FilterResults.h"

#include <cstdint>

#include "export/TextSearch.h"
#include "store/ParallelParse.h"

namespace {

// The matching rows of [begin, end), up to where `stop` was seen set.
void matchIn(const GridText& source, const TextSearch& search, int begin, int end, const std::atomic<bool>& stop,
             std::vector<int>& rows)
{
    const int columns = source.headingCount();
    for (int r = begin; r < end; ++r) {
        if ((r & 0xFFF) == 0 && stop.load(std::memory_order_relaxed))
            return;
        for (int c = 0; c < columns; ++c)
            if (search.foundIn(source.cellBytes(r, c))) {
                rows.push_back(r);
                break;
            }
    }
}

} // namespace

std::optional<std::vector<int>> FilterResults::matchingRows(const GridText& source, const std::string& text,
                                                            const std::atomic<bool>& stop)
{
    const TextSearch search(text);
    const int rows = source.shownRows();
    // Below some thousands of rows a second thread costs more than it saves.
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(rows), 10000);
    std::vector<std::vector<int>> found(parts);
    parallel::run(parts, [&](std::size_t i) {
        const int begin = static_cast<int>(static_cast<std::int64_t>(rows) * static_cast<std::int64_t>(i) / static_cast<std::int64_t>(parts));
        const int end = static_cast<int>(static_cast<std::int64_t>(rows) * static_cast<std::int64_t>(i + 1) / static_cast<std::int64_t>(parts));
        matchIn(source, search, begin, end, stop, found[i]);
    });
    if (stop.load())
        return std::nullopt;
    std::vector<int> all = std::move(found[0]);
    for (std::size_t i = 1; i < found.size(); ++i)
        all.insert(all.end(), found[i].begin(), found[i].end());
    return all;
}

void FilterResults::search(const std::string& text)
{
    const std::atomic<bool> never{false};
    show(*matchingRows(m_source, text, never));
}

void FilterResults::show(std::vector<int> rows)
{
    beginResetModel();
    m_headings.clear();
    for (int c = 0; c < m_source.headingCount(); ++c)
        m_headings.push_back(m_source.headingText(c));
    m_rows = std::move(rows);
    endResetModel();
}

void FilterResults::clear()
{
    beginResetModel();
    m_headings.clear();
    m_rows.clear();
    endResetModel();
}
