#include "store/sort/KeyRanks.h"

#include <algorithm>
#include <deque>
#include <numeric>
#include <string>

#include "store/ParallelParse.h"
#include "store/sort/SortValues.h"
#include "store/table/PrefixSort.h"

namespace keysort {

namespace {

using Positions = std::vector<std::uint32_t, huge::Allocator<std::uint32_t>>;

// Below this many records one core does the work.
constexpr std::size_t PartMinimum = 1 << 15;

// The slice of [0, n) that part i of `parts` works on.
std::pair<std::size_t, std::size_t> sliceOf(std::size_t n, std::size_t parts, std::size_t i)
{
    return {n / parts * i, i + 1 == parts ? n : n / parts * (i + 1)};
}

// Texts made for a sort (upper-cased, or a natural order's bytes) and the
// cells that point at them; they live as long as this.
class MadeTexts {
public:
    explicit MadeTexts(std::size_t parts) : m_texts(parts), m_spans(parts) {}

    // The cells to sort `positions` by: each value's own cell where
    // `itself(value)` says it serves unchanged, else one for the bytes
    // `make(value, out)` appends.
    template <typename Itself, typename Make>
    CellTable::Column cellsOf(const Cell* column, const CellTable::Order& order, const Positions& positions,
                              Itself itself, Make make)
    {
        const std::size_t n = positions.size();
        CellTable::Column cells(n);
        const std::size_t parts = m_texts.size();
        parallel::run(parts, [&](std::size_t part) {
            const auto [begin, end] = sliceOf(n, parts, part);
            std::string& text = m_texts[part];
            // The text grows as it is made, so its cells are made after.
            std::vector<std::pair<std::size_t, std::size_t>> made; // (index, offset)
            for (std::size_t k = begin; k < end; ++k) {
                const Cell cell = column[order[positions[k]]];
                if (itself(cell.view())) {
                    cells[k] = cell;
                    continue;
                }
                made.emplace_back(k, text.size());
                make(cell.view(), text);
            }
            for (std::size_t m = 0; m < made.size(); ++m) {
                const std::size_t offset = made[m].second;
                const std::size_t next = m + 1 < made.size() ? made[m + 1].second : text.size();
                cells[made[m].first] = Cell::of(std::string_view(text).substr(offset, next - offset), m_spans[part]);
            }
        });
        return cells;
    }

private:
    std::vector<std::string> m_texts;
    std::vector<std::deque<std::string_view>> m_spans;
};

// Ranks `cells` by their bytes, from `first`, into ranks[positions[k]];
// returns one past the last rank given.
std::uint32_t rankByBytes(const CellTable::Column& cells, const Positions& positions, Ranks& ranks, std::uint32_t first)
{
    const std::size_t n = cells.size();
    if (n == 0)
        return first;
    CellTable::Order sorted(n);
    std::iota(sorted.begin(), sorted.end(), 0u);
    prefixSort(sorted, cells.data(), false, {});
    std::uint32_t rank = first;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && cells[sorted[i]].view() != cells[sorted[i - 1]].view())
            ++rank;
        ranks[positions[sorted[i]]] = rank;
    }
    return rank + 1;
}

// Gives the empty values the rank after `count`, the ranks of the `valued`
// others; returns the number of ranks used. Only a rank some record holds is
// counted: the sort takes as many ranks as records to mean that no two tie.
std::uint32_t rankEmptiesLast(const Cell* column, const CellTable::Order& order, Ranks& ranks, std::uint32_t count,
                              std::size_t valued)
{
    const std::size_t n = order.size();
    if (valued == n)
        return count;
    for (std::size_t p = 0; p < n; ++p)
        if (column[order[p]].view().empty())
            ranks[p] = count;
    return count + 1;
}

// A value read as a number or a date, as bits that sort in its order.
struct __attribute__((packed)) Read {
    std::uint64_t bits;
    std::uint32_t position;
};
using Reads = std::vector<Read, huge::Allocator<Read>>;

// Sorts by bits alone, on two cores where there are: ties need no order,
// as they share a rank.
void sortReads(Reads& reads)
{
    const auto less = [](const Read& a, const Read& b) { return a.bits < b.bits; };
    if (parallel::partsFor(reads.size(), PartMinimum) == 1) {
        std::sort(reads.begin(), reads.end(), less);
        return;
    }
    std::vector<std::uint64_t> sample;
    for (std::size_t i = 0, n = reads.size(); i < 1024; ++i)
        sample.push_back(reads[i * n / 1024].bits);
    std::nth_element(sample.begin(), sample.begin() + 512, sample.end());
    const std::uint64_t pivot = sample[512];
    const auto middle = std::partition(reads.begin(), reads.end(), [&](const Read& r) { return r.bits < pivot; });
    parallel::run(2, [&](std::size_t i) {
        if (i == 0)
            std::sort(reads.begin(), middle, less);
        else
            std::sort(middle, reads.end(), less);
    });
}

std::uint32_t textRanks(const Cell* column, const CellTable::Order& order, const SortKey& key, Ranks& ranks,
                        std::size_t parts)
{
    const std::size_t n = order.size();
    Positions valued;
    valued.reserve(n);
    for (std::size_t p = 0; p < n; ++p)
        if (!column[order[p]].view().empty())
            valued.push_back(static_cast<std::uint32_t>(p));
    MadeTexts made(parts);
    CellTable::Column cells;
    if (key.comparison == Comparison::TextExact)
        cells = made.cellsOf(column, order, valued, [](std::string_view) { return true; }, [](std::string_view, std::string&) {});
    else if (key.comparison == Comparison::Natural)
        cells = made.cellsOf(column, order, valued, naturalIsItself, appendNatural);
    else
        cells = made.cellsOf(column, order, valued, foldsToItself, appendFolded);
    const std::uint32_t count = rankByBytes(cells, valued, ranks, 0);
    if (key.descending)
        for (const std::uint32_t p : valued)
            ranks[p] = count - 1 - ranks[p];
    return rankEmptiesLast(column, order, ranks, count, valued.size());
}

std::uint32_t readRanks(const Cell* column, const CellTable::Order& order, const SortKey& key, Ranks& ranks,
                        std::size_t parts)
{
    const std::size_t n = order.size();
    // Each part reads its slice into reads of its own, and keeps the
    // positions of the values that do not read.
    std::vector<Reads> partReads(parts);
    std::vector<Positions> partUnread(parts);
    parallel::run(parts, [&](std::size_t part) {
        const auto [begin, end] = sliceOf(n, parts, part);
        Reads& reads = partReads[part];
        reads.reserve(end - begin);
        for (std::size_t p = begin; p < end; ++p) {
            const std::string_view v = column[order[p]].view();
            if (v.empty())
                continue;
            std::optional<std::uint64_t> bits;
            if (key.comparison == Comparison::Number) {
                if (const std::optional<double> number = numberValue(v, key.decimalMark))
                    bits = orderedBits(*number);
            } else if (const std::optional<std::int32_t> days = dateDays(v, key.dateOrder)) {
                bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(*days) + (std::int64_t{1} << 40));
            }
            if (bits)
                reads.push_back({*bits, static_cast<std::uint32_t>(p)});
            else
                partUnread[part].push_back(static_cast<std::uint32_t>(p));
        }
    });
    Reads reads = std::move(partReads[0]);
    Positions unread = std::move(partUnread[0]);
    for (std::size_t part = 1; part < parts; ++part) {
        reads.insert(reads.end(), partReads[part].begin(), partReads[part].end());
        unread.insert(unread.end(), partUnread[part].begin(), partUnread[part].end());
    }
    sortReads(reads);
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        if (i > 0 && reads[i].bits != reads[i - 1].bits)
            ++count;
        ranks[reads[i].position] = count;
    }
    if (!reads.empty())
        ++count;
    if (key.descending)
        for (const Read& r : reads)
            ranks[r.position] = count - 1 - ranks[r.position];

    MadeTexts made(parts);
    const CellTable::Column cells = made.cellsOf(column, order, unread, foldsToItself, appendFolded);
    count = rankByBytes(cells, unread, ranks, count);
    return rankEmptiesLast(column, order, ranks, count, reads.size() + unread.size());
}

} // namespace

std::uint32_t keyRanks(const Cell* column, const CellTable::Order& order, const SortKey& key, Ranks& ranks)
{
    ranks.resize(order.size());
    const std::size_t parts = parallel::partsFor(order.size(), PartMinimum);
    if (key.comparison == Comparison::Number || key.comparison == Comparison::Date)
        return readRanks(column, order, key, ranks, parts);
    return textRanks(column, order, key, ranks, parts);
}

} // namespace keysort
