#pragma once

#include <cstdint>

// Copies premultiplied a8r8g8b8 pixels onto a surface's pixels, at an opacity
// (255: as they are). Sprites are small and many, so this is a plain loop with
// nothing to set up per call; rounding is the same as pixman's, to the bit.
// Strides count pixels.
namespace blend {

struct Pixels {
    std::uint32_t* data;
    int stride;
};

// Source over destination.
void over(const std::uint32_t* src, int srcStride, Pixels dst, int width, int height, std::uint8_t opacity);
// Source added to destination, each byte saturating: light on light.
void add(const std::uint32_t* src, int srcStride, Pixels dst, int width, int height, std::uint8_t opacity);

} // namespace blend
