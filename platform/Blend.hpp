#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Copies premultiplied a8r8g8b8 pixels onto a surface's pixels, each byte first times the same
// byte of a tint, over 255: a grey tint is an opacity, a premultiplied colour colours a white
// sprite, and opaque white leaves the pixels as they are. Sprites are small and many, so this is
// a plain loop with nothing to set up per call; rounding is the same as pixman's, to the bit, on
// every path. Strides count pixels.
namespace blend {

struct Pixels {
    std::uint32_t* data;
    int stride;

    // The same pixels from (x, y) on.
    [[nodiscard]] Pixels at(int x, int y) const { return {data + std::ptrdiff_t(y) * stride + x, stride}; }
};

// Where a row of a sprite shows anything: its pixels before `begin` and from `end` on are clear.
struct Row {
    std::uint16_t begin, end;
};

// The pixels copied from: the first one, and optionally each row's extent, so the clear parts
// of a shape cost nothing. `rows` and `column` are those of the first pixel's row and column.
struct Source {
    const std::uint32_t* pixels;
    int stride;
    const Row* rows = nullptr;
    int column = 0;
};

constexpr std::uint32_t untinted = 0xffffffffu;

// The tint that is only an opacity.
constexpr std::uint32_t opacity(std::uint8_t level) { return level * 0x01010101u; }

// Source over destination.
void over(const Source& src, Pixels dst, int width, int height, std::uint32_t tint);
// Source added to destination, each byte saturating: light on light.
void add(const Source& src, Pixels dst, int width, int height, std::uint32_t tint);
// Every pixel of the rectangle set to one value.
void fill(Pixels dst, int width, int height, std::uint32_t pixel);

// The loops, from the plainest to the widest vectors. The widest this processor runs is chosen
// once, at start-up; all give the same pixels.
enum class Path { scalar, sse2, avx2, avx512 };
constexpr Path paths[] = {Path::scalar, Path::sse2, Path::avx2, Path::avx512};
std::string_view name(Path path);
[[nodiscard]] bool runs(Path path);
[[nodiscard]] Path path();
// From now on, for comparing paths; false, changing nothing, for one this processor cannot run.
bool use(Path path);

} // namespace blend
