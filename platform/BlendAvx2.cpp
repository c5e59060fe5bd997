// Built for AVX2; called only where the processor has it. Nothing from the standard library is
// used here, so no shared inline function is built for AVX2 by this file.
#include "BlendLoops.hpp"

#include <immintrin.h>

namespace {

// Eight pixels at once, as 16-bit lanes; the last one to seven through a lane mask, blended
// whatever they are (a short row costs less blended than branched over).
struct Avx2 {
    struct Tint {
        __m256i bytes;
        bool tinted;
        explicit Tint(std::uint32_t tint)
            : bytes(_mm256_unpacklo_epi8(_mm256_set1_epi32(int(tint)), _mm256_setzero_si256())),
              tinted(tint != blend::untinted)
        {
        }
    };

    static __m256i scale(__m256i x, __m256i a)
    {
        __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, a), _mm256_set1_epi16(0x80));
        return _mm256_mulhi_epu16(t, _mm256_set1_epi16(0x0101));
    }

    static __m256i alphas(__m256i x) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xff), 0xff); }

    template <bool Add> static __m256i blend(__m256i s, __m256i d, const Tint& tint)
    {
        const __m256i zero = _mm256_setzero_si256();
        if (tint.tinted) {
            __m256i lo = scale(_mm256_unpacklo_epi8(s, zero), tint.bytes);
            __m256i hi = scale(_mm256_unpackhi_epi8(s, zero), tint.bytes);
            s = _mm256_packus_epi16(lo, hi);
        }
        if (Add) return _mm256_adds_epu8(s, d);
        const __m256i ones = _mm256_set1_epi16(0xff);
        __m256i inverseLo = _mm256_xor_si256(alphas(_mm256_unpacklo_epi8(s, zero)), ones);
        __m256i inverseHi = _mm256_xor_si256(alphas(_mm256_unpackhi_epi8(s, zero)), ones);
        __m256i lo = scale(_mm256_unpacklo_epi8(d, zero), inverseLo);
        __m256i hi = scale(_mm256_unpackhi_epi8(d, zero), inverseHi);
        return _mm256_adds_epu8(s, _mm256_packus_epi16(lo, hi));
    }

    template <bool Add> static void span(const std::uint32_t* s, std::uint32_t* d, int n, const Tint& tint)
    {
        const __m256i alphaBits = _mm256_set1_epi32(int(0xff000000u));
        int x = 0;
        for (; x + 8 <= n; x += 8) {
            __m256i sp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
            auto* dp = reinterpret_cast<__m256i*>(d + x);
            if (n >= longRow && _mm256_testz_si256(sp, sp)) continue;
            if (n >= longRow && !Add && !tint.tinted &&
                _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(sp, alphaBits), alphaBits)) == -1)
                _mm256_storeu_si256(dp, sp);
            else
                _mm256_storeu_si256(dp, blend<Add>(sp, _mm256_loadu_si256(dp), tint));
        }
        if (x == n) return;
        // The last one to seven through a lane mask: the lanes past n are neither read nor written.
        const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - x), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        __m256i sp = _mm256_maskload_epi32(reinterpret_cast<const int*>(s + x), lanes);
        __m256i dp = _mm256_maskload_epi32(reinterpret_cast<const int*>(d + x), lanes);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(d + x), lanes, blend<Add>(sp, dp, tint));
    }
};

} // namespace

blend::loops::Set blend::loops::avx2() { return {walk<Avx2, false>, walk<Avx2, true>}; }
