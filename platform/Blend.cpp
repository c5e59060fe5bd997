#include "Blend.hpp"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace blend {
namespace {

#ifndef __SSE2__
// Each byte of x times a / 255, rounded.
std::uint32_t scale(std::uint32_t x, std::uint32_t a)
{
    std::uint32_t rb = (x & 0x00ff00ffu) * a + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
    std::uint32_t ag = ((x >> 8) & 0x00ff00ffu) * a + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00ff00ffu)) & 0xff00ff00u;
    return rb | ag;
}

// Each byte of x plus its byte of y, at most 255.
std::uint32_t addBytes(std::uint32_t x, std::uint32_t y)
{
    std::uint32_t rb = (x & 0x00ff00ffu) + (y & 0x00ff00ffu);
    rb = (rb | ((rb >> 8) & 0x00010001u) * 0xff) & 0x00ff00ffu;
    std::uint32_t ag = ((x >> 8) & 0x00ff00ffu) + ((y >> 8) & 0x00ff00ffu);
    ag = (ag | ((ag >> 8) & 0x00010001u) * 0xff) & 0x00ff00ffu;
    return rb | ag << 8;
}

// Each byte of x times the same byte of tint / 255, rounded.
std::uint32_t tinted(std::uint32_t x, std::uint32_t tint)
{
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) out |= scale(x >> shift & 0xff, tint >> shift & 0xff) << shift;
    return out;
}

template <bool Add> std::uint32_t blendPixel(std::uint32_t s, std::uint32_t d, std::uint32_t tint)
{
    if (tint != untinted) s = tinted(s, tint);
    if (Add) return addBytes(s, d);
    return addBytes(s, scale(d, 255 - (s >> 24)));
}

#else
// Four pixels at once, as 16-bit lanes.
[[gnu::always_inline]] inline __m128i scale16(__m128i x, __m128i a)
{
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, a), _mm_set1_epi16(0x80));
    return _mm_mulhi_epu16(t, _mm_set1_epi16(0x0101));
}

// Each pixel's alpha in all four of its lanes.
[[gnu::always_inline]] inline __m128i alphas16(__m128i x)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xff), 0xff);
}

template <bool Add> [[gnu::always_inline]] inline __m128i blend4(__m128i s, __m128i d, __m128i tint16, bool tinted)
{
    const __m128i zero = _mm_setzero_si128();
    if (tinted) {
        __m128i lo = scale16(_mm_unpacklo_epi8(s, zero), tint16);
        __m128i hi = scale16(_mm_unpackhi_epi8(s, zero), tint16);
        s = _mm_packus_epi16(lo, hi);
    }
    if (Add) return _mm_adds_epu8(s, d);
    __m128i ones = _mm_set1_epi16(0xff);
    __m128i inverseLo = _mm_xor_si128(alphas16(_mm_unpacklo_epi8(s, zero)), ones);
    __m128i inverseHi = _mm_xor_si128(alphas16(_mm_unpackhi_epi8(s, zero)), ones);
    __m128i lo = scale16(_mm_unpacklo_epi8(d, zero), inverseLo);
    __m128i hi = scale16(_mm_unpackhi_epi8(d, zero), inverseHi);
    return _mm_adds_epu8(s, _mm_packus_epi16(lo, hi));
}
#endif

template <bool Add>
void run(const std::uint32_t* src, int srcStride, Pixels dst, int width, int height, std::uint32_t tint)
{
#ifdef __SSE2__
    // The tint's bytes as 16-bit lanes, once for each of two pixels.
    const __m128i tint16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(tint)), _mm_setzero_si128());
    const bool tinted = tint != untinted;
    const __m128i alphaBits = _mm_set1_epi32(int(0xff000000u));
    auto four = [&](const std::uint32_t* s, std::uint32_t* d) {
        __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        // Clear pixels change nothing; opaque ones over anything are themselves.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(sp, _mm_setzero_si128())) == 0xffff) return;
        auto* dp = reinterpret_cast<__m128i*>(d);
        if (!Add && !tinted &&
            _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sp, alphaBits), alphaBits)) == 0xffff)
            _mm_storeu_si128(dp, sp);
        else
            _mm_storeu_si128(dp, blend4<Add>(sp, _mm_loadu_si128(dp), tint16, tinted));
    };
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* s = src + std::ptrdiff_t(y) * srcStride;
        std::uint32_t* d = dst.data + std::ptrdiff_t(y) * dst.stride;
        int x = 0;
        for (; x + 4 <= width; x += 4) four(s + x, d + x);
        // The last one to three pixels: two, then one, in the low lanes.
        if (x + 2 <= width) {
            __m128i sp = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x));
            auto* dp = reinterpret_cast<__m128i*>(d + x);
            _mm_storel_epi64(dp, blend4<Add>(sp, _mm_loadl_epi64(dp), tint16, tinted));
            x += 2;
        }
        if (x < width && s[x]) {
            __m128i sp = _mm_cvtsi32_si128(int(s[x]));
            d[x] = std::uint32_t(_mm_cvtsi128_si32(blend4<Add>(sp, _mm_cvtsi32_si128(int(d[x])), tint16, tinted)));
        }
    }
#else
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* s = src + std::ptrdiff_t(y) * srcStride;
        std::uint32_t* d = dst.data + std::ptrdiff_t(y) * dst.stride;
        for (int x = 0; x < width; ++x)
            if (s[x]) d[x] = blendPixel<Add>(s[x], d[x], tint);
    }
#endif
}

} // namespace

void over(const std::uint32_t* src, int srcStride, Pixels dst, int width, int height, std::uint32_t tint)
{
    if (tint) run<false>(src, srcStride, dst, width, height, tint);
}

void add(const std::uint32_t* src, int srcStride, Pixels dst, int width, int height, std::uint32_t tint)
{
    if (tint) run<true>(src, srcStride, dst, width, height, tint);
}

void fill(Pixels dst, int width, int height, std::uint32_t pixel)
{
    for (int y = 0; y < height; ++y) std::fill_n(dst.data + std::ptrdiff_t(y) * dst.stride, width, pixel);
}

} // namespace blend
