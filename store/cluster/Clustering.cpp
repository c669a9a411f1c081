#include "store/cluster/Clustering.h"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <optional>
#include <unordered_map>

#include "store/CSVDBS.h"
#include "store/cluster/ClusterKeys.h"

namespace cluster {

namespace {

struct Cancelled {};

// Progress and the question whether to stop, every few thousand values.
class Ticks {
public:
    Ticks(const ProgressCallback& progress, std::int64_t total, const std::function<bool()>& cancel)
        : m_progress(progress), m_cancel(cancel)
    {
        m_ticker.emplace(progress, total);
    }
    // Once the work turns out longer than first said.
    void total(std::int64_t total) { m_ticker.emplace(m_progress, total); }
    void step()
    {
        m_ticker->step(++m_done);
        if (m_cancel && (m_done & 0xFFF) == 0 && m_cancel())
            throw Cancelled{};
    }

private:
    const ProgressCallback& m_progress;
    const std::function<bool()>& m_cancel;
    std::optional<ProgressTicker> m_ticker;
    std::int64_t m_done = 0;
};

std::uint64_t hashUnits(std::uint64_t h, const Unit* begin, const Unit* end)
{
    for (const Unit* u = begin; u != end; ++u)
        h = (h ^ *u) * 0x100000001B3ull;
    return h;
}
constexpr std::uint64_t HashStart = 0xCBF29CE484222325ull;

// The members of a cluster in their order, the suggestion the first.
Cluster makeCluster(const std::vector<Counted>& values, std::vector<std::uint32_t> ids)
{
    std::sort(ids.begin(), ids.end(), [&](std::uint32_t a, std::uint32_t b) {
        return values[a].count != values[b].count ? values[a].count > values[b].count : values[a].value < values[b].value;
    });
    Cluster c;
    for (const std::uint32_t id : ids) {
        c.members.push_back({std::string(values[id].value), values[id].count});
        c.rows += values[id].count;
    }
    c.suggested = c.members.front().value;
    return c;
}

using KeyOf = std::string (*)(std::string_view, int);

// Values of equal keys. Only a key's hash is kept for each value; a group of
// equal hashes is told apart by its keys made again, which leaves memory at
// a few bytes a value.
std::vector<Cluster> byKey(const std::vector<Counted>& values, KeyOf keyOf, int n, Ticks& ticks)
{
    std::vector<std::pair<std::uint64_t, std::uint32_t>> hashes;
    hashes.reserve(values.size());
    for (std::uint32_t id = 0; id < values.size(); ++id) {
        ticks.step();
        const std::string key = keyOf(values[id].value, n);
        if (!key.empty())
            hashes.emplace_back(std::hash<std::string>()(key), id);
    }
    std::sort(hashes.begin(), hashes.end());
    std::vector<Cluster> clusters;
    for (std::size_t i = 0; i < hashes.size();) {
        std::size_t end = i + 1;
        while (end < hashes.size() && hashes[end].first == hashes[i].first)
            ++end;
        if (end - i >= 2) {
            std::vector<std::pair<std::string, std::uint32_t>> keyed;
            for (std::size_t k = i; k < end; ++k)
                keyed.emplace_back(keyOf(values[hashes[k].second].value, n), hashes[k].second);
            std::sort(keyed.begin(), keyed.end());
            for (std::size_t a = 0; a < keyed.size();) {
                std::size_t b = a + 1;
                while (b < keyed.size() && keyed[b].first == keyed[a].first)
                    ++b;
                if (b - a >= 2) {
                    std::vector<std::uint32_t> ids;
                    for (std::size_t k = a; k < b; ++k)
                        ids.push_back(keyed[k].second);
                    clusters.push_back(makeCluster(values, std::move(ids)));
                }
                a = b;
            }
        }
        i = end;
    }
    return clusters;
}

std::string fingerprintKey(std::string_view v, int) { return fingerprint(v); }
std::string phoneticKey(std::string_view v, int) { return colognePhonetic(v); }

// Calls `each(hash)` for every string left of `units` after deleting up to
// `radius` of them, the units themselves included.
template <typename Each>
void deletionVariants(const std::vector<Unit>& units, int radius, Each each)
{
    each(hashUnits(HashStart, units.data(), units.data() + units.size()));
    if (radius == 0 || units.empty())
        return;
    // Delete one unit at each position beyond the last deleted one, so that
    // each set of positions comes once; runs of equal units give the same
    // string more than once, which costs only a repeated entry.
    const auto recurse = [&](auto& self, const std::vector<Unit>& text, std::size_t from, int left) -> void {
        for (std::size_t k = from; k < text.size(); ++k) {
            if (k > from && text[k] == text[k - 1])
                continue;
            std::vector<Unit> shorter;
            shorter.reserve(text.size() - 1);
            shorter.insert(shorter.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(k));
            shorter.insert(shorter.end(), text.begin() + static_cast<std::ptrdiff_t>(k) + 1, text.end());
            each(hashUnits(HashStart, shorter.data(), shorter.data() + shorter.size()));
            if (left > 1)
                self(self, shorter, k, left - 1);
        }
    };
    recurse(recurse, units, 0, radius);
}

// The pairs of values within `radius` of each other, as (a, b) with a < b.
// Values meet only when they share a deletion variant; the variants are
// sorted by hash in passes over parts of the hash range, so that at most
// about PassEntries of them are held at once.
std::vector<std::pair<std::uint32_t, std::uint32_t>> nearPairs(const std::vector<Counted>& values,
                                                               const std::vector<bool>& takesPart, int radius,
                                                               Ticks& ticks)
{
    constexpr std::size_t PassEntries = std::size_t{1} << 19;
    std::vector<Unit> units;
    std::size_t total = 0;
    for (std::uint32_t id = 0; id < values.size(); ++id)
        if (takesPart[id]) {
            unitsOf(values[id].value, units);
            std::size_t variants = 1, choose = 1;
            for (int k = 1; k <= radius; ++k) {
                choose = choose * (units.size() - static_cast<std::size_t>(k) + 1) / static_cast<std::size_t>(k);
                variants += choose;
            }
            total += variants;
        }
    const std::uint64_t passes = std::max<std::uint64_t>(1, (total + PassEntries - 1) / PassEntries);
    ticks.total(static_cast<std::int64_t>(values.size() * (passes + 1)));

    std::vector<std::uint64_t> candidates;
    std::vector<std::uint64_t> entries;
    for (std::uint64_t pass = 0; pass < passes; ++pass) {
        entries.clear();
        for (std::uint32_t id = 0; id < values.size(); ++id) {
            ticks.step();
            if (!takesPart[id])
                continue;
            unitsOf(values[id].value, units);
            deletionVariants(units, radius, [&](std::uint64_t h) {
                if (h % passes == pass)
                    entries.push_back((h >> 32) << 32 | id);
            });
        }
        std::sort(entries.begin(), entries.end());
        entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
        for (std::size_t i = 0; i < entries.size();) {
            std::size_t end = i + 1;
            while (end < entries.size() && entries[end] >> 32 == entries[i] >> 32)
                ++end;
            for (std::size_t a = i; a < end; ++a)
                for (std::size_t b = a + 1; b < end; ++b)
                    candidates.push_back((entries[a] & 0xFFFFFFFFu) << 32 | (entries[b] & 0xFFFFFFFFu));
            i = end;
        }
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    std::vector<Unit> other;
    for (const std::uint64_t c : candidates) {
        const auto a = static_cast<std::uint32_t>(c >> 32), b = static_cast<std::uint32_t>(c);
        unitsOf(values[a].value, units);
        unitsOf(values[b].value, other);
        if (boundedLevenshtein(units, other, radius) <= radius)
            pairs.emplace_back(a, b);
    }
    return pairs;
}

std::vector<Cluster> nearest(const std::vector<Counted>& values, int radius, Ticks& ticks)
{
    std::vector<bool> takesPart(values.size());
    std::vector<Unit> units;
    for (std::size_t id = 0; id < values.size(); ++id) {
        ticks.step();
        unitsOf(values[id].value, units);
        takesPart[id] = units.size() >= static_cast<std::size_t>(2 * radius + 1);
    }
    const auto pairs = nearPairs(values, takesPart, radius, ticks);

    // The neighbours of each value, as one list cut by offsets.
    std::vector<std::uint32_t> start(values.size() + 1), neighbours(pairs.size() * 2);
    for (const auto& [a, b] : pairs) {
        ++start[a + 1];
        ++start[b + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (const auto& [a, b] : pairs) {
        neighbours[fill[a]++] = b;
        neighbours[fill[b]++] = a;
    }

    std::vector<std::uint32_t> order(values.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return values[a].count != values[b].count ? values[a].count > values[b].count : values[a].value < values[b].value;
    });
    std::vector<bool> taken(values.size());
    std::vector<Cluster> clusters;
    for (const std::uint32_t centre : order) {
        if (taken[centre])
            continue;
        std::vector<std::uint32_t> ids{centre};
        for (std::uint32_t k = start[centre]; k < start[centre + 1]; ++k)
            if (!taken[neighbours[k]])
                ids.push_back(neighbours[k]);
        if (ids.size() < 2)
            continue;
        for (const std::uint32_t id : ids)
            taken[id] = true;
        clusters.push_back(makeCluster(values, std::move(ids)));
    }
    return clusters;
}

} // namespace

std::vector<Counted> countValues(const CSVDBS& store, int field)
{
    const CSVDBS::RecordNo records = store.RecordsHeld();
    ProgressTicker ticker(store.progressCallback(), records);
    std::unordered_map<std::string_view, std::uint32_t> index;
    std::vector<Counted> values;
    for (CSVDBS::RecordNo r = 1; r <= records; ++r) {
        ticker.step(r);
        const std::string_view value = store.ValueAt(r, field);
        if (value.empty() || !store.inRowScope(r))
            continue;
        const auto [at, added] = index.try_emplace(value, static_cast<std::uint32_t>(values.size()));
        if (added)
            values.push_back({value, 0});
        ++values[at->second].count;
    }
    return values;
}

Result clusterValues(const std::vector<Counted>& values, const Options& options, const ProgressCallback& progress,
                     const std::function<bool()>& cancel)
{
    assert(options.ngram >= 1 && options.radius >= 1);
    Result result;
    result.distinct = values.size();
    Ticks ticks(progress, static_cast<std::int64_t>(values.size()), cancel);
    try {
        switch (options.method) {
        case Method::Fingerprint: result.clusters = byKey(values, fingerprintKey, 0, ticks); break;
        case Method::Ngram: result.clusters = byKey(values, ngramFingerprint, std::clamp(options.ngram, 1, 3), ticks); break;
        case Method::Phonetic: result.clusters = byKey(values, phoneticKey, 0, ticks); break;
        case Method::Nearest: result.clusters = nearest(values, std::clamp(options.radius, 1, 3), ticks); break;
        }
    } catch (const Cancelled&) {
        result.clusters.clear();
        result.cancelled = true;
        return result;
    }
    std::sort(result.clusters.begin(), result.clusters.end(), [](const Cluster& a, const Cluster& b) {
        if (a.members.size() != b.members.size())
            return a.members.size() > b.members.size();
        if (a.rows != b.rows)
            return a.rows > b.rows;
        return a.suggested < b.suggested;
    });
    return result;
}

Result findClusters(const CSVDBS& store, int field, const Options& options, const std::function<bool()>& cancel)
{
    return clusterValues(countValues(store, field), options, store.progressCallback(), cancel);
}

} // namespace cluster
