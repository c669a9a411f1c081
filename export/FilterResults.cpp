#include "export/FilterResults.h"

#include <algorithm>
#include <thread>

#include "export/TextSearch.h"

namespace {

// The matching rows of [begin, end); false when stopped on the way.
bool matchIn(const GridText& source, const TextSearch& search, int begin, int end, const std::atomic<bool>& stop,
             std::vector<int>& rows)
{
    const int columns = source.headingCount();
    for (int r = begin; r < end; ++r) {
        if ((r & 0xFFF) == 0 && stop.load(std::memory_order_relaxed))
            return false;
        for (int c = 0; c < columns; ++c)
            if (search.foundIn(source.cellBytes(r, c))) {
                rows.push_back(r);
                break;
            }
    }
    return !stop.load(std::memory_order_relaxed);
}

} // namespace

std::optional<std::vector<int>> FilterResults::matchingRows(const GridText& source, const std::string& text,
                                                            const std::atomic<bool>& stop, int threads)
{
    const TextSearch search(text);
    const int rows = source.shownRows();
    // Below some thousands of rows a second thread costs more than it saves.
    const int parts = rows < 20000 ? 1 : std::max(1, threads);
    std::vector<std::vector<int>> found(static_cast<std::size_t>(parts));
    std::vector<char> finished(static_cast<std::size_t>(parts), 0);
    const auto part = [&](int i) {
        const int begin = static_cast<int>(static_cast<std::int64_t>(rows) * i / parts);
        const int end = static_cast<int>(static_cast<std::int64_t>(rows) * (i + 1) / parts);
        finished[static_cast<std::size_t>(i)] = matchIn(source, search, begin, end, stop, found[static_cast<std::size_t>(i)]);
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < parts; ++i)
        helpers.emplace_back(part, i);
    part(0);
    for (std::thread& t : helpers)
        t.join();
    if (std::find(finished.begin(), finished.end(), 0) != finished.end())
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
