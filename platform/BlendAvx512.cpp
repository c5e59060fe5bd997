// Built for AVX-512 (F and BW); called only where the processor has them. Nothing from the
// standard library is used here, so no shared inline function is built for AVX-512 by this file.
#include "BlendLoops.hpp"

#include <immintrin.h>

namespace {

// Sixteen pixels at once, as 16-bit lanes; the last one to fifteen through a lane mask, blended
// whatever they are (a short row costs less blended than branched over).
struct Avx512 {
    struct Tint {
        __m512i bytes;
        bool tinted;
        explicit Tint(std::uint32_t tint)
            : bytes(_mm512_unpacklo_epi8(_mm512_set1_epi32(int(tint)), _mm512_setzero_si512())),
              tinted(tint != blend::untinted)
        {
        }
    };

    static __m512i scale(__m512i x, __m512i a)
    {
        __m512i t = _mm512_add_epi16(_mm512_mullo_epi16(x, a), _mm512_set1_epi16(0x80));
        return _mm512_mulhi_epu16(t, _mm512_set1_epi16(0x0101));
    }

    static __m512i alphas(__m512i x) { return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(x, 0xff), 0xff); }

    template <bool Add> static __m512i blend(__m512i s, __m512i d, const Tint& tint)
    {
        const __m512i zero = _mm512_setzero_si512();
        if (tint.tinted) {
            __m512i lo = scale(_mm512_unpacklo_epi8(s, zero), tint.bytes);
            __m512i hi = scale(_mm512_unpackhi_epi8(s, zero), tint.bytes);
            s = _mm512_packus_epi16(lo, hi);
        }
        if (Add) return _mm512_adds_epu8(s, d);
        const __m512i ones = _mm512_set1_epi16(0xff);
        __m512i inverseLo = _mm512_xor_si512(alphas(_mm512_unpacklo_epi8(s, zero)), ones);
        __m512i inverseHi = _mm512_xor_si512(alphas(_mm512_unpackhi_epi8(s, zero)), ones);
        __m512i lo = scale(_mm512_unpacklo_epi8(d, zero), inverseLo);
        __m512i hi = scale(_mm512_unpackhi_epi8(d, zero), inverseHi);
        return _mm512_adds_epu8(s, _mm512_packus_epi16(lo, hi));
    }

    template <bool Add> static void span(const std::uint32_t* s, std::uint32_t* d, int n, const Tint& tint)
    {
        const __m512i alphaBits = _mm512_set1_epi32(int(0xff000000u));
        int x = 0;
        for (; x + 16 <= n; x += 16) {
            __m512i sp = _mm512_loadu_si512(s + x);
            // Clear pixels change nothing; opaque ones over anything are themselves.
            if (!_mm512_test_epi32_mask(sp, sp)) continue;
            if (!Add && !tint.tinted && _mm512_cmpeq_epi32_mask(_mm512_and_si512(sp, alphaBits), alphaBits) == 0xffff)
                _mm512_storeu_si512(d + x, sp);
            else
                _mm512_storeu_si512(d + x, blend<Add>(sp, _mm512_loadu_si512(d + x), tint));
        }
        if (x == n) return;
        // The last one to fifteen through a lane mask: the lanes past n are neither read nor written.
        const __mmask16 lanes = __mmask16((1u << (n - x)) - 1);
        __m512i sp = _mm512_maskz_loadu_epi32(lanes, s + x);
        _mm512_mask_storeu_epi32(d + x, lanes, blend<Add>(sp, _mm512_maskz_loadu_epi32(lanes, d + x), tint));
    }
};

} // namespace

blend::loops::Set blend::loops::avx512() { return {walk<Avx512, false>, walk<Avx512, true>}; }
