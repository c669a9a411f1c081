#pragma once

#include <algorithm>
#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Scans over a whole file's bytes, sixteen at a time where the processor
// allows: each runs once per load over every byte.
namespace bytescan {

#ifdef __SSE2__
namespace detail {
// Sums the sixteen byte lanes of `hits`.
inline std::size_t laneSum(__m128i hits)
{
    const __m128i sums = _mm_sad_epu8(hits, _mm_setzero_si128());
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
}
} // namespace detail
#endif

// How many bytes of [p, end) are `c`.
inline std::size_t count(const char* p, const char* end, char c)
{
    std::size_t n = 0;
#ifdef __SSE2__
    // Each lane of `hits` counts its matches, up to 255 blocks at a time;
    // summing the lanes is then one instruction.
    const __m128i wanted = _mm_set1_epi8(c);
    while (end - p >= 16) {
        __m128i hits = _mm_setzero_si128();
        for (int blocks = 0; blocks < 255 && end - p >= 16; ++blocks, p += 16)
            hits = _mm_sub_epi8(hits, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), wanted));
        n += detail::laneSum(hits);
    }
#endif
    return n + static_cast<std::size_t>(std::count(p, end, c));
}

struct CarriageReturnCounts {
    std::size_t carriageReturns = 0;
    // LFs with no CR right before them; one at the range's start counts.
    std::size_t loneLineFeeds = 0;
};

// The CRs of [p, end) and its LFs that follow no CR, in one pass: a file
// whose lines end at CR counts its lines so, and learns for next to nothing
// whether a line was ended by a tool that writes LF alone.
inline CarriageReturnCounts countCarriageReturns(const char* p, const char* end)
{
    CarriageReturnCounts n;
    if (p == end)
        return n;
    n.carriageReturns += *p == '\r';
    n.loneLineFeeds += *p == '\n';
    ++p; // from here on every byte has one before it in the range
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i crs = _mm_setzero_si128(), lone = _mm_setzero_si128();
        for (int blocks = 0; blocks < 255 && end - p >= 16; ++blocks, p += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 1));
            crs = _mm_sub_epi8(crs, _mm_cmpeq_epi8(here, cr));
            lone = _mm_sub_epi8(lone, _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(here, lf)));
        }
        n.carriageReturns += detail::laneSum(crs);
        n.loneLineFeeds += detail::laneSum(lone);
    }
#endif
    for (; p != end; ++p) {
        n.carriageReturns += *p == '\r';
        n.loneLineFeeds += *p == '\n' && p[-1] != '\r';
    }
    return n;
}

// The line ends in [p, end) where CR LF, a lone CR and a lone LF each end a
// line: CR LF, CR and LF each count once.
inline std::size_t countLineEnds(const char* p, const char* end)
{
    std::size_t n = 0;
#ifdef __SSE2__
    // A byte is at most one of the two kinds, so a lane counts at most one a block.
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    while (end - p >= 17) {
        __m128i hits = _mm_setzero_si128();
        for (int blocks = 0; blocks < 255 && end - p >= 17; ++blocks, p += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
            const __m128i loneCr = _mm_andnot_si128(_mm_cmpeq_epi8(after, lf), _mm_cmpeq_epi8(here, cr));
            hits = _mm_sub_epi8(hits, _mm_or_si128(_mm_cmpeq_epi8(here, lf), loneCr));
        }
        n += detail::laneSum(hits);
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n')
            ++n;
        else if (*p == '\r' && (p + 1 == end || p[1] != '\n'))
            ++n;
    }
    return n;
}

// The first byte of [p, end) that is one of `Bytes`, or end.
template <char... Bytes>
inline const char* firstOf(const char* p, const char* end)
{
#ifdef __SSE2__
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i any = _mm_setzero_si128();
        ((any = _mm_or_si128(any, _mm_cmpeq_epi8(block, _mm_set1_epi8(Bytes)))), ...);
        const int hits = _mm_movemask_epi8(any);
        if (hits != 0)
            return p + __builtin_ctz(static_cast<unsigned>(hits));
    }
#endif
    for (; p != end; ++p)
        if (((*p == Bytes) || ...))
            return p;
    return end;
}

// The first CR or LF of [p, end), or end.
inline const char* firstLineEnd(const char* p, const char* end) { return firstOf<'\r', '\n'>(p, end); }

// The first byte of [p, end) at or above 0x80, or end.
inline const char* firstNonAscii(const char* p, const char* end)
{
#ifdef __SSE2__
    for (; end - p >= 32; p += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        if (_mm_movemask_epi8(_mm_or_si128(a, b)) != 0)
            break;
    }
#endif
    for (; p != end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return p;
    return end;
}

} // namespace bytescan
