// The sprite blender against pixman, bit for bit: both operators, every opacity class, widths
// that end on each of the vector loop's tails, and nothing written outside the rectangle.
#include "Blend.hpp"

#include <gtest/gtest.h>
#include <pixman.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// Premultiplied pixels: clear, opaque and in between, as sprites have them.
std::vector<std::uint32_t> sprite(std::mt19937& rng, int count)
{
    std::vector<std::uint32_t> pixels(std::size_t(count), 0);
    for (auto& p : pixels) {
        std::uint32_t kind = rng() % 4, a = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
        auto channel = [&] { return a ? std::uint32_t(rng() % (a + 1)) : 0u; };
        p = a << 24 | channel() << 16 | channel() << 8 | channel();
    }
    return pixels;
}

struct Case {
    pixman_op_t op;
    pixman_format_code_t target;
};

class Blend : public testing::TestWithParam<Case> {};

TEST_P(Blend, MatchesPixmanToTheBitAndStaysInsideItsRectangle)
{
    auto [op, format] = GetParam();
    std::mt19937 rng(7);
    constexpr int stride = 16, rows = 6;
    for (int opacity : {255, 254, 128, 1, 0})
        for (int width = 1; width <= 11; ++width)
            for (int height : {1, 3}) {
                std::vector<std::uint32_t> src = sprite(rng, width * height + 3), dst(stride * rows);
                for (auto& p : dst) p = rng();
                std::vector<std::uint32_t> expected = dst;

                // pixman: the sprite at (2, 1), the opacity as a repeated 1 x 1 mask.
                pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, src.data() + 3, width * 4);
                pixman_image_t* d = pixman_image_create_bits(format, stride, rows, expected.data(), stride * 4);
                std::uint32_t maskBits = std::uint32_t(opacity);
                pixman_image_t* mask = pixman_image_create_bits(PIXMAN_a8, 1, 1, &maskBits, 4);
                pixman_image_set_repeat(mask, PIXMAN_REPEAT_NORMAL);
                pixman_image_composite32(op, s, opacity == 255 ? nullptr : mask, d, 0, 0, 0, 0, 2, 1, width, height);
                pixman_image_unref(mask);
                pixman_image_unref(d);
                pixman_image_unref(s);

                blend::Pixels to{dst.data() + stride + 2, stride};
                (op == PIXMAN_OP_ADD ? blend::add : blend::over)(src.data() + 3, width, to, width, height,
                                                                 std::uint8_t(opacity));
                // A surface without alpha leaves its fourth byte to whoever writes it.
                std::uint32_t read = format == PIXMAN_x8r8g8b8 ? 0x00ffffffu : 0xffffffffu;
                for (std::size_t i = 0; i < dst.size(); ++i)
                    ASSERT_EQ(dst[i] & read, expected[i] & read)
                        << "pixel " << i % stride << "," << i / stride << " opacity " << opacity << " width " << width
                        << " height " << height;
            }
}

INSTANTIATE_TEST_SUITE_P(Operators, Blend,
                         testing::Values(Case{PIXMAN_OP_OVER, PIXMAN_a8r8g8b8}, Case{PIXMAN_OP_OVER, PIXMAN_x8r8g8b8},
                                         Case{PIXMAN_OP_ADD, PIXMAN_a8r8g8b8}, Case{PIXMAN_OP_ADD, PIXMAN_x8r8g8b8}));

} // namespace
