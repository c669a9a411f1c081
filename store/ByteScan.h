#pragma once

#include <algorithm>
#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Scans over a whole file's bytes, sixteen at a time where the processor
// allows: each runs once per load over every byte.
namespace bytescan {

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
        const __m128i sums = _mm_sad_epu8(hits, _mm_setzero_si128());
        n += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    return n + static_cast<std::size_t>(std::count(p, end, c));
}

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
