#include "store/table/PrefixSort.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "store/table/HugeBuffer.h"
#include "store/ParallelParse.h"

namespace {

// 12 bytes: the record's slot is read from the order, which stays as it was
// until the sort ends.
struct __attribute__((packed)) Entry {
    std::uint64_t key;
    std::uint32_t position;
};
using Entries = std::vector<Entry, huge::Allocator<Entry>>;

// How many of the key's bytes are value bytes; the last one holds the length.
constexpr std::size_t KeyBytes = 7;

std::size_t sharedLength(std::string_view a, std::string_view b, std::size_t limit)
{
    std::size_t i = 0;
    while (i < limit && a[i] == b[i])
        ++i;
    return i;
}

// The length of the prefix all values of records [begin, end) share with `first`.
std::size_t commonPrefix(const std::uint32_t* begin, const std::uint32_t* end, const Cell* column,
                         std::string_view first)
{
    std::size_t shared = first.size();
    for (const std::uint32_t* s = begin; s != end && shared > 0; ++s) {
        const std::string_view v = column[*s].view();
        shared = sharedLength(v, first, std::min(shared, v.size()));
    }
    return shared;
}

std::uint64_t keyOf(std::string_view rest)
{
    unsigned char bytes[KeyBytes] = {};
    if (!rest.empty())
        std::memcpy(bytes, rest.data(), std::min(rest.size(), KeyBytes));
    std::uint64_t key = 0;
    for (unsigned char b : bytes)
        key = (key << 8) | b;
    return (key << 8) | std::min<std::size_t>(rest.size(), KeyBytes + 1);
}

class EntryOrder {
public:
    EntryOrder(const Cell* column, const std::uint32_t* order, std::size_t shared, bool descending)
        : m_column(column), m_order(order), m_skip(shared + KeyBytes), m_descending(descending) {}

    bool operator()(const Entry& a, const Entry& b) const
    {
        if (a.key != b.key)
            return (a.key < b.key) != m_descending;
        if ((a.key & 0xFF) > KeyBytes) {
            // Both values go on beyond the key: compare what follows it.
            const int c = valueAt(a).substr(m_skip).compare(valueAt(b).substr(m_skip));
            if (c != 0)
                return (c < 0) != m_descending;
        }
        return a.position < b.position;
    }

private:
    std::string_view valueAt(const Entry& e) const { return m_column[m_order[e.position]].view(); }

    const Cell* m_column;
    const std::uint32_t* m_order;
    std::size_t m_skip;
    bool m_descending;
};

} // namespace

bool prefixSort(CellTable::Order& order, const Cell* column, bool descending, const ProgressCallback& progress)
{
    const std::size_t n = order.size();
    if (n < 2)
        return false;
    ProgressTicker ticker(progress, 4);
    const std::size_t parts = parallel::partsFor(n, 1 << 16);
    const auto partBegin = [&](std::size_t i) { return n / parts * i; };
    const auto partEnd = [&](std::size_t i) { return i + 1 == parts ? n : n / parts * (i + 1); };

    // Every value starts with the column's shared prefix, so keys are taken
    // from the bytes after it: a column of "Surname1234"-like values would
    // otherwise tie on its first eight bytes almost always.
    const std::string_view first = column[order[0]].view();
    std::vector<std::size_t> shared(parts);
    parallel::run(parts, [&](std::size_t i) {
        shared[i] = commonPrefix(order.data() + partBegin(i), order.data() + partEnd(i), column, first);
    });
    const std::size_t prefix = *std::min_element(shared.begin(), shared.end());

    Entries entries(n);
    parallel::run(parts, [&](std::size_t i) {
        for (std::size_t r = partBegin(i); r < partEnd(i); ++r) {
            entries[r] = {keyOf(column[order[r]].view().substr(prefix)), static_cast<std::uint32_t>(r)};
        }
    });
    ticker.coarseStep(1);

    const EntryOrder less(column, order.data(), prefix, descending);
    if (parts == 1) {
        std::sort(entries.begin(), entries.end(), less);
    } else {
        // Cut at a sampled median: no two entries compare equal, so the two
        // sides sort on their own and together give the one order.
        std::vector<Entry> sample;
        const std::size_t samples = std::min<std::size_t>(n, 4096);
        for (std::size_t i = 0; i < samples; ++i)
            sample.push_back(entries[i * n / samples]);
        std::nth_element(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(samples / 2), sample.end(), less);
        const Entry pivot = sample[samples / 2];
        const auto middle = std::partition(entries.begin(), entries.end(),
                                           [&](const Entry& e) { return less(e, pivot); });
        ticker.coarseStep(2);
        parallel::run(2, [&](std::size_t i) {
            if (i == 0)
                std::sort(entries.begin(), middle, less);
            else
                std::sort(middle, entries.end(), less);
        });
    }
    ticker.coarseStep(3);

    // Positions become slots in the entries' own room, then the new order.
    bool moved = false;
    for (std::size_t r = 0; r < n; ++r) {
        moved = moved || entries[r].position != r;
        entries[r].position = order[entries[r].position];
    }
    for (std::size_t r = 0; r < n; ++r)
        order[r] = entries[r].position;
    return moved;
}
