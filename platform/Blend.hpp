#pragma once

#include <cstddef>
#include <cstdint>

// Copies premultiplied a8r8g8b8 pixels onto a surface's pixels, each byte first times the same
// byte of a tint, over 255: a grey tint is an opacity, a premultiplied colour colours a white
// sprite, and opaque white leaves the pixels as they are. Sprites are small and many, so this is
// a plain loop with nothing to set up per call; rounding is the same as pixman's, to the bit.
// Strides count pixels.
namespace blend {

struct Pixels {
    std::uint32_t* data;
    int stride;

    // The same pixels from (x, y) on.
    [[nodiscard]] Pixels at(int x, int y) const { return {data + std::ptrdiff_t(y) * stride + x, stride}; }
};

constexpr std::uint32_t untinted = 0xffffffffu;

// The tint that is only an opacity.
constexpr std::uint32_t opacity(std::uint8_t level) { return level * 0x01010101u; }

// Source over destination.
void over(const std::uint32_t* src, int srcStride, Pixels dst, int width, int height, std::uint32_t tint);
// Source added to destination, each byte saturating: light on light.
void add(const std::uint32_t* src, int srcStride, Pixels dst, int width, int height, std::uint32_t tint);
// Every pixel of the rectangle set to one value.
void fill(Pixels dst, int width, int height, std::uint32_t pixel);

} // namespace blend
