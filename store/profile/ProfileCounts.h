#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The distinct values of a column and their counts, in 9 bytes a slot: a
// record that holds the value (its bytes stay in the store), the count, and
// a byte of the hash that spares most comparisons. Values are placed by a
// hash of their upper-cased form, so all the spellings of one value in other
// cases lie in one run of slots and a case-blind look-up costs one probe.
namespace profilecounts {

// A hash of upperCased(value), taken eight bytes at a time for ASCII.
std::uint64_t foldHash(std::string_view value);

// Whether two values differ only in case (or not at all), by the store's
// rule for names: their upper-cased forms are equal. Such values have equal
// foldHash.
bool sameButCase(std::string_view a, std::string_view b);

// Which of `parts` parts a hash falls to; bits the table does not use.
inline std::size_t partOf(std::uint64_t hash, std::size_t parts)
{
    return static_cast<std::size_t>(((hash >> 32) & 0xFFFF) * parts >> 16);
}

class CountTable {
public:
    // Counts `value` (non-empty), held by `record`, hashed `hash`. The table
    // grows towards what `remaining` more records could bring to one of
    // `parts` parts, so that it ends little larger than it needs.
    // `valueOf(record)` gives a record's value.
    template <typename ValueOf>
    void add(std::uint32_t record, std::string_view value, std::uint64_t hash, std::size_t remaining, std::size_t parts,
             const ValueOf& valueOf)
    {
        if (m_entries.empty())
            rehash(1024, valueOf);
        const std::uint8_t t = tagOf(hash);
        std::size_t at = home(hash);
        for (; m_tags[at] != 0; at = next(at))
            if (m_tags[at] == t && valueOf(m_entries[at].record) == value) {
                ++m_entries[at].count;
                return;
            }
        if ((m_size + 1) * 5 > m_entries.size() * 4) {
            const std::size_t size = m_entries.size();
            const std::size_t likely = (m_size + remaining / parts + remaining / 8 + 1024) * 5 / 4;
            rehash(std::max(std::min(size * 2, likely), size + size / 4), valueOf);
            for (at = home(hash); m_tags[at] != 0; at = next(at)) {
            }
        }
        m_tags[at] = t;
        m_entries[at] = {record, 1};
        ++m_size;
    }

    // each(slot, record, count) for every distinct value; it returns false
    // to stop.
    template <typename Each>
    void forEach(const Each& each) const
    {
        for (std::size_t at = 0; at < m_entries.size(); ++at)
            if (m_tags[at] != 0 && !each(at, m_entries[at].record, std::int64_t{m_entries[at].count}))
                return;
    }

    // each(slot, record, count) for every value other than the one in
    // `slot` (which is `value`) that is `same(value, other)`, for a relation
    // that implies an equal foldHash; it returns false to stop.
    template <typename ValueOf, typename Same, typename Each>
    void forEachAlike(std::size_t slot, std::string_view value, const ValueOf& valueOf, const Same& same,
                      const Each& each) const
    {
        const std::uint64_t hash = foldHash(value);
        const std::uint8_t t = tagOf(hash);
        for (std::size_t at = home(hash); m_tags[at] != 0; at = next(at))
            if (at != slot && m_tags[at] == t && same(value, valueOf(m_entries[at].record))
                && !each(at, m_entries[at].record, std::int64_t{m_entries[at].count}))
                return;
    }
    template <typename ValueOf, typename Same>
    bool anyAlike(std::size_t slot, std::string_view value, const ValueOf& valueOf, const Same& same) const
    {
        bool found = false;
        forEachAlike(slot, value, valueOf, same, [&](std::size_t, std::uint32_t, std::int64_t) { return !(found = true); });
        return found;
    }

    std::size_t size() const { return m_size; }
    std::size_t bytes() const { return m_entries.size() * (sizeof(Entry) + 1); }

private:
    struct Entry {
        std::uint32_t record;
        std::uint32_t count;
    };

    // Any number of slots, not only powers of two: a hash is scaled to it.
    std::size_t home(std::uint64_t hash) const
    {
        return static_cast<std::size_t>((std::uint64_t{static_cast<std::uint32_t>(hash)} * m_entries.size()) >> 32);
    }
    std::size_t next(std::size_t at) const { return at + 1 == m_entries.size() ? 0 : at + 1; }
    static std::uint8_t tagOf(std::uint64_t hash) { return static_cast<std::uint8_t>(1 + (hash >> 48 & 0xFF) % 255); }

    template <typename ValueOf>
    void rehash(std::size_t slots, const ValueOf& valueOf)
    {
        std::vector<Entry> entries(slots);
        std::vector<std::uint8_t> tags(slots);
        entries.swap(m_entries);
        tags.swap(m_tags);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (tags[i] == 0)
                continue;
            const std::uint64_t hash = foldHash(valueOf(entries[i].record));
            std::size_t at = home(hash);
            while (m_tags[at] != 0)
                at = next(at);
            m_tags[at] = tags[i];
            m_entries[at] = entries[i];
        }
    }

    std::vector<Entry> m_entries;
    std::vector<std::uint8_t> m_tags; // 0 for a free slot
    std::size_t m_size = 0;
};

} // namespace profilecounts
