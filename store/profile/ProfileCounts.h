#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string_view>
#include <vector>

// The distinct values of a column and their counts, in 14 bytes a slot: where
// the value's bytes are in the store (a 48-bit address and a 16-bit length,
// as a cell keeps them; a longer value by its record), the count, a byte of
// the hash that spares most comparisons, and a byte of facts about the value
// that the caller works out once, when the value is first met. Comparing
// with the bytes themselves rather than through a record number saves two
// reads from all over the store for every value met again.
// Values are placed by a hash of their upper-cased form, so all the
// spellings of one value in other cases lie in one run of slots and are
// found while a new value is placed.
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

// How many distinct hashes a stream holds, to within a few per cent, in 4 kB
// (HyperLogLog): so that a table is made the size it needs at once, since
// growing it would read every value again from all over the store.
class DistinctEstimate {
public:
    DistinctEstimate() : m_registers(Registers, 0) {}
    void add(std::uint64_t hash)
    {
        const std::size_t at = hash >> (64 - Bits);
        const auto rank = static_cast<std::uint8_t>(__builtin_clzll((hash << Bits) | (1ULL << (Bits - 1))) + 1);
        m_registers[at] = std::max(m_registers[at], rank);
    }
    void merge(const DistinctEstimate& other)
    {
        for (std::size_t i = 0; i < Registers; ++i)
            m_registers[i] = std::max(m_registers[i], other.m_registers[i]);
    }
    double estimate() const;

private:
    static constexpr int Bits = 12;
    static constexpr std::size_t Registers = std::size_t{1} << Bits;
    std::vector<std::uint8_t> m_registers;
};

class CountTable {
public:
    // A fact bit the table itself sets: another value of the table differs
    // from this one only in case. The caller's facts take the other bits.
    static constexpr std::uint8_t CaseVariant = 0x80;

    // Room for `distinct` values without growing; before the first add.
    void reserve(std::size_t distinct)
    {
        assert(m_size == 0);
        const std::size_t slots = std::max<std::size_t>(1024, distinct * 5 / 4 + 16);
        m_refs.assign(slots, 0);
        m_counts.assign(slots, 0);
        m_tags.assign(slots, 0);
        m_facts.assign(slots, 0);
    }

    // Counts `value` (non-empty), held by `record`, hashed `hash`; a value
    // met for the first time gets the facts `factsOf(value)` gives.
    // `valueOf(record)` gives a record's value.
    template <typename ValueOf, typename FactsOf>
    void add(std::uint32_t record, std::string_view value, std::uint64_t hash, const ValueOf& valueOf,
             const FactsOf& factsOf)
    {
        if (m_refs.empty())
            reserve(0);
        if ((m_size + 1) * 5 > m_refs.size() * 4)
            rehash(m_refs.size() * 2, valueOf);
        const std::uint8_t t = tagOf(hash);
        std::size_t at = home(hash);
        bool alike = false;
        for (; m_tags[at] != 0; at = next(at))
            if (m_tags[at] == t) {
                if (viewOf(m_refs[at], valueOf) == value) {
                    ++m_counts[at];
                    return;
                }
                alike = true;
            }
        std::uint8_t facts = factsOf(value);
        // Only a new value looks for its other spellings, which also gain
        // the mark; a value met again has its marks already.
        if (alike)
            for (std::size_t other = home(hash); other != at; other = next(other))
                if (m_tags[other] == t && sameButCase(value, viewOf(m_refs[other], valueOf))) {
                    m_facts[other] |= CaseVariant;
                    facts |= CaseVariant;
                }
        m_tags[at] = t;
        m_facts[at] = facts;
        m_refs[at] = refOf(record, value);
        m_counts[at] = 1;
        ++m_size;
    }

    // each(value, count, facts) for every distinct value, in the table's
    // order; it returns false to stop.
    template <typename ValueOf, typename Each>
    void forEach(const ValueOf& valueOf, const Each& each) const
    {
        for (std::size_t at = 0; at < m_refs.size(); ++at)
            if (m_tags[at] != 0 && !each(viewOf(m_refs[at], valueOf), std::int64_t{m_counts[at]}, m_facts[at]))
                return;
    }

    // each(other, count) for every value that differs from `value` only in
    // case, and for `value` itself.
    template <typename ValueOf, typename Each>
    void forEachAlike(std::string_view value, const ValueOf& valueOf, const Each& each) const
    {
        const std::uint64_t hash = foldHash(value);
        const std::uint8_t t = tagOf(hash);
        for (std::size_t at = home(hash); m_tags[at] != 0; at = next(at))
            if (const std::string_view other = viewOf(m_refs[at], valueOf); m_tags[at] == t && sameButCase(value, other))
                each(other, std::int64_t{m_counts[at]});
    }

    std::size_t size() const { return m_size; }
    std::size_t bytes() const { return m_refs.size() * (sizeof(std::uint64_t) + sizeof(std::uint32_t) + 2); }

private:
    static constexpr std::uint64_t LongMark = 0xFFFF;
    static std::uint64_t refOf(std::uint32_t record, std::string_view value)
    {
        const auto address = reinterpret_cast<std::uintptr_t>(value.data());
        if (value.size() >= LongMark || (address >> 48) != 0)
            return std::uint64_t{record} << 16 | LongMark;
        return std::uint64_t{address} << 16 | value.size();
    }
    template <typename ValueOf>
    static std::string_view viewOf(std::uint64_t ref, const ValueOf& valueOf)
    {
        if ((ref & LongMark) == LongMark)
            return valueOf(static_cast<std::uint32_t>(ref >> 16));
        return {reinterpret_cast<const char*>(static_cast<std::uintptr_t>(ref >> 16)), static_cast<std::size_t>(ref & LongMark)};
    }

    // Any number of slots, not only powers of two: a hash is scaled to it.
    std::size_t home(std::uint64_t hash) const
    {
        return static_cast<std::size_t>((std::uint64_t{static_cast<std::uint32_t>(hash)} * m_refs.size()) >> 32);
    }
    std::size_t next(std::size_t at) const { return at + 1 == m_refs.size() ? 0 : at + 1; }
    static std::uint8_t tagOf(std::uint64_t hash) { return static_cast<std::uint8_t>(1 + (hash >> 48 & 0xFF) % 255); }

    // Growing hashes every value again: the estimate should spare it.
    template <typename ValueOf>
    void rehash(std::size_t slots, const ValueOf& valueOf)
    {
        std::vector<std::uint64_t> refs(slots);
        std::vector<std::uint32_t> counts(slots);
        std::vector<std::uint8_t> tags(slots), facts(slots);
        refs.swap(m_refs);
        counts.swap(m_counts);
        tags.swap(m_tags);
        facts.swap(m_facts);
        for (std::size_t i = 0; i < refs.size(); ++i) {
            if (tags[i] == 0)
                continue;
            std::size_t at = home(foldHash(viewOf(refs[i], valueOf)));
            while (m_tags[at] != 0)
                at = next(at);
            m_tags[at] = tags[i];
            m_facts[at] = facts[i];
            m_refs[at] = refs[i];
            m_counts[at] = counts[i];
        }
    }

    std::vector<std::uint64_t> m_refs;
    std::vector<std::uint32_t> m_counts;
    std::vector<std::uint8_t> m_tags; // 0 for a free slot
    std::vector<std::uint8_t> m_facts;
    std::size_t m_size = 0;
};

} // namespace profilecounts
