#pragma once

// The blender's loops, one set per path, each built for its own instruction set; the walk over
// a sprite's rows is shared. Only the blender's own files include this.
#include "Blend.hpp"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace blend::loops {

using Loop = void (*)(const Source& src, Pixels dst, int width, int height, std::uint32_t tint);
struct Set {
    Loop over, add;
};

Set scalar();
#if defined(__x86_64__)
Set sse2();
Set avx2();
Set avx512();
#endif

// Each row's shown extent, cut to the rectangle, goes to V::span: V is local to one path's file,
// so each file gets an instance of its own, built for its instruction set.
template <class V, bool Add>
void walk(const Source& src, Pixels dst, int width, int height, std::uint32_t tint)
{
    const typename V::Tint prepared(tint);
    for (int y = 0; y < height; ++y) {
        int begin = 0, end = width;
        if (src.rows) {
            begin = src.rows[y].begin - src.column;
            end = src.rows[y].end - src.column;
            if (begin < 0) begin = 0;
            if (end > width) end = width;
        }
        if (begin < end)
            V::template span<Add>(src.pixels + std::ptrdiff_t(y) * src.stride + begin,
                                  dst.data + std::ptrdiff_t(y) * dst.stride + begin, end - begin, prepared);
    }
}

} // namespace blend::loops

#ifdef __SSE2__
namespace {

// Pixels in a row from which skipping clear and copying opaque pixels pays.
constexpr int longRow = 16;

// Four pixels at once, as 16-bit lanes; the narrowest vector path, and the tails of wider ones.
struct Sse2 {
    struct Tint {
        __m128i bytes; // the tint's bytes as 16-bit lanes, once for each of two pixels
        bool tinted;
        explicit Tint(std::uint32_t tint)
            : bytes(_mm_unpacklo_epi8(_mm_set1_epi32(int(tint)), _mm_setzero_si128())),
              tinted(tint != blend::untinted)
        {
        }
    };

    // Each 16-bit lane of x times a / 255, rounded as pixman rounds.
    static __m128i scale(__m128i x, __m128i a)
    {
        __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, a), _mm_set1_epi16(0x80));
        return _mm_mulhi_epu16(t, _mm_set1_epi16(0x0101));
    }

    // Each pixel's alpha in all four of its lanes.
    static __m128i alphas(__m128i x) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xff), 0xff); }

    template <bool Add> static __m128i blend(__m128i s, __m128i d, const Tint& tint)
    {
        const __m128i zero = _mm_setzero_si128();
        if (tint.tinted) {
            __m128i lo = scale(_mm_unpacklo_epi8(s, zero), tint.bytes);
            __m128i hi = scale(_mm_unpackhi_epi8(s, zero), tint.bytes);
            s = _mm_packus_epi16(lo, hi);
        }
        if (Add) return _mm_adds_epu8(s, d);
        const __m128i ones = _mm_set1_epi16(0xff);
        __m128i inverseLo = _mm_xor_si128(alphas(_mm_unpacklo_epi8(s, zero)), ones);
        __m128i inverseHi = _mm_xor_si128(alphas(_mm_unpackhi_epi8(s, zero)), ones);
        __m128i lo = scale(_mm_unpacklo_epi8(d, zero), inverseLo);
        __m128i hi = scale(_mm_unpackhi_epi8(d, zero), inverseHi);
        return _mm_adds_epu8(s, _mm_packus_epi16(lo, hi));
    }

    // Clear pixels change nothing and opaque ones over anything are themselves: worth asking
    // on long rows only, as a short row costs less blended than branched over.
    template <bool Add, bool Ask = true>
    static void four(const std::uint32_t* s, std::uint32_t* d, const Tint& tint)
    {
        __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        auto* dp = reinterpret_cast<__m128i*>(d);
        const __m128i alphaBits = _mm_set1_epi32(int(0xff000000u));
        if (Ask && _mm_movemask_epi8(_mm_cmpeq_epi32(sp, _mm_setzero_si128())) == 0xffff) return;
        if (Ask && !Add && !tint.tinted &&
            _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sp, alphaBits), alphaBits)) == 0xffff)
            _mm_storeu_si128(dp, sp);
        else
            _mm_storeu_si128(dp, blend<Add>(sp, _mm_loadu_si128(dp), tint));
    }

    // Fewer than four pixels: two, then one, in the low lanes.
    template <bool Add> static void tail(const std::uint32_t* s, std::uint32_t* d, int n, const Tint& tint)
    {
        if (n >= 2) {
            __m128i sp = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
            auto* dp = reinterpret_cast<__m128i*>(d);
            _mm_storel_epi64(dp, blend<Add>(sp, _mm_loadl_epi64(dp), tint));
            s += 2, d += 2, n -= 2;
        }
        if (n == 1) {
            __m128i sp = _mm_cvtsi32_si128(int(*s));
            *d = std::uint32_t(_mm_cvtsi128_si32(blend<Add>(sp, _mm_cvtsi32_si128(int(*d)), tint)));
        }
    }

    template <bool Add> static void span(const std::uint32_t* s, std::uint32_t* d, int n, const Tint& tint)
    {
        int x = 0;
        if (n >= longRow)
            for (; x + 4 <= n; x += 4) four<Add>(s + x, d + x, tint);
        else
            for (; x + 4 <= n; x += 4) four<Add, false>(s + x, d + x, tint);
        tail<Add>(s + x, d + x, n - x, tint);
    }
};

} // namespace
#endif
