#include "Blend.hpp"

#include "BlendLoops.hpp"

#include <algorithm>
#include <pixman.h>

namespace blend {
namespace {

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

// A pixel at a time, for processors without a vector path here.
struct Scalar {
    struct Tint {
        std::uint32_t value;
        explicit Tint(std::uint32_t tint) : value(tint) {}
    };
    template <bool Add> static void span(const std::uint32_t* s, std::uint32_t* d, int n, const Tint& tint)
    {
        for (int x = 0; x < n; ++x) {
            if (!s[x]) continue;
            std::uint32_t p = tint.value == untinted ? s[x] : tinted(s[x], tint.value);
            d[x] = Add ? addBytes(p, d[x]) : addBytes(p, scale(d[x], 255 - (p >> 24)));
        }
    }
};

struct Chosen {
    Path path;
    loops::Set set;
};

loops::Set setFor(Path path)
{
    switch (path) {
#if defined(__x86_64__)
    case Path::sse2: return loops::sse2();
    case Path::avx2: return loops::avx2();
    case Path::avx512: return loops::avx512();
#endif
    default: return loops::scalar();
    }
}

Chosen widest()
{
    Path best = Path::scalar;
    for (Path p : paths)
        if (runs(p)) best = p;
    return {best, setFor(best)};
}

Chosen chosen = widest();

} // namespace

loops::Set loops::scalar() { return {walk<Scalar, false>, walk<Scalar, true>}; }

std::string_view name(Path path)
{
    switch (path) {
    case Path::scalar: return "scalar";
    case Path::sse2: return "SSE2";
    case Path::avx2: return "AVX2";
    case Path::avx512: return "AVX-512";
    }
    return "?";
}

bool runs(Path path)
{
#if defined(__x86_64__)
    __builtin_cpu_init(); // asked before main, by the choice at start-up
#endif
    switch (path) {
    case Path::scalar: return true;
#if defined(__x86_64__)
    case Path::sse2: return __builtin_cpu_supports("sse2");
    case Path::avx2: return __builtin_cpu_supports("avx2");
    case Path::avx512: return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#endif
    default: return false;
    }
}

Path path() { return chosen.path; }

bool use(Path path)
{
    if (!runs(path)) return false;
    chosen = {path, setFor(path)};
    return true;
}

void over(const Source& src, Pixels dst, int width, int height, std::uint32_t tint)
{
    if (tint) chosen.set.over(src, dst, width, height, tint);
}

void add(const Source& src, Pixels dst, int width, int height, std::uint32_t tint)
{
    if (tint) chosen.set.add(src, dst, width, height, tint);
}

void fill(Pixels dst, int width, int height, std::uint32_t pixel)
{
    // pixman's fill has the widest stores this processor has.
    if (width <= 0 || height <= 0 || pixman_fill(dst.data, dst.stride, 32, 0, 0, width, height, pixel)) return;
    for (int y = 0; y < height; ++y) std::fill_n(dst.data + std::ptrdiff_t(y) * dst.stride, width, pixel);
}

} // namespace blend
