#include "store/table/DuplicateScan.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "store/table/HugeBuffer.h"
#include "store/ParallelParse.h"

namespace {

std::uint64_t mix(std::uint64_t h)
{
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return h;
}

// The length takes part, so that the values "ab", "c" and "a", "bc" differ.
std::uint64_t hashValue(std::string_view v)
{
    std::uint64_t h = (v.size() + 1) * 0x9E3779B97F4A7C15ull;
    const char* p = v.data();
    std::size_t left = v.size();
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = mix(h ^ word);
    }
    if (left > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, left);
        h = mix(h ^ word);
    }
    return h;
}

// 32 bits a record: enough to tell groups apart before the values are
// compared, at half the memory.
using Hashes = std::vector<std::uint32_t, huge::Allocator<std::uint32_t>>;

// Open addressing over record numbers (plus one; 0 is a free place).
class SeenRecords {
public:
    SeenRecords(std::size_t records, const Hashes& hashes)
        : m_places(std::bit_ceil(2 * records + 2)), m_mask(m_places.size() - 1), m_hashes(hashes)
    {
        std::fill(m_places.begin(), m_places.end(), 0u);
    }

    template <typename Same>
    bool insert(std::uint32_t record, Same same)
    {
        const std::uint32_t h = m_hashes[record];
        for (std::size_t at = h & m_mask;; at = (at + 1) & m_mask) {
            const std::uint32_t held = m_places[at];
            if (held == 0) {
                m_places[at] = record + 1;
                return true;
            }
            if (m_hashes[held - 1] == h && same(held - 1, record))
                return false;
        }
    }

private:
    std::vector<std::uint32_t, huge::Allocator<std::uint32_t>> m_places;
    std::size_t m_mask;
    const Hashes& m_hashes;
};

} // namespace

std::vector<std::uint8_t> firstOfEachGroup(const CellTable& table, const std::vector<int>& fields,
                                           const ProgressCallback& progress)
{
    const std::size_t n = table.recordCount();
    std::vector<std::uint8_t> keep(n, 0);
    const std::size_t parts = parallel::partsFor(n, 1 << 16);
    ProgressTicker ticker(progress, 2);

    Hashes hashes(n);
    parallel::run(parts, [&](std::size_t i) {
        const std::size_t end = i + 1 == parts ? n : n / parts * (i + 1);
        for (std::size_t r = n / parts * i; r < end; ++r) {
            const std::uint32_t slot = table.slot(r);
            std::uint64_t h = 0;
            for (int f : fields)
                h = mix(h ^ hashValue(table.cellAtSlot(slot, f).view()));
            hashes[r] = static_cast<std::uint32_t>(h >> 32);
        }
    });
    ticker.coarseStep(1);

    const auto same = [&](std::uint32_t a, std::uint32_t b) {
        const std::uint32_t sa = table.slot(a), sb = table.slot(b);
        for (int f : fields)
            if (table.cellAtSlot(sa, f).view() != table.cellAtSlot(sb, f).view())
                return false;
        return true;
    };
    // Part i takes the records whose hash's top bits are i; equal records hash
    // alike, so every group lies within one part.
    const auto partOf = [&](std::uint32_t h) { return static_cast<std::size_t>((std::uint64_t{h} * parts) >> 32); };
    parallel::run(parts, [&](std::size_t i) {
        std::size_t mine = 0;
        for (std::size_t r = 0; r < n; ++r)
            mine += partOf(hashes[r]) == i;
        SeenRecords seen(mine, hashes);
        for (std::size_t r = 0; r < n; ++r)
            if (partOf(hashes[r]) == i)
                keep[r] = seen.insert(static_cast<std::uint32_t>(r), same);
    });
    ticker.coarseStep(2);
    return keep;
}
