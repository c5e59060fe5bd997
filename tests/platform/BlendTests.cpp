// The sprite blender against pixman, bit for bit, on every path the processor runs: both
// operators, opacities and coloured tints, widths that end on each vector loop's tails, rows
// shown only in part, and nothing written outside the rectangle.
#include "Blend.hpp"

#include <gtest/gtest.h>
#include <pixman.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <tuple>
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

class Blend : public testing::TestWithParam<std::tuple<Case, blend::Path>> {
protected:
    void TearDown() override { blend::use(chosen_); }

private:
    blend::Path chosen_ = blend::path();
};

TEST_P(Blend, MatchesPixmanToTheBitAndStaysInsideItsRectangle)
{
    auto [c, path] = GetParam();
    auto [op, format] = c;
    if (!blend::use(path)) GTEST_SKIP() << "this processor cannot run the " << blend::name(path) << " loop";
    std::mt19937 rng(7);
    constexpr int stride = 40, rows = 6;
    // Untinted, opacities, and premultiplied colours (a spark's orange at half strength).
    for (std::uint32_t tint : {blend::untinted, blend::opacity(254), blend::opacity(128), blend::opacity(1), 0u,
                               0x80804000u, 0xff00ff80u})
        for (int width = 1; width <= 35; width += width < 18 ? 1 : 17)
            for (int height : {1, 3}) {
                // Drawn from `column` of a wider sprite, whose rows show only between their ends.
                const int column = int(rng() % 3), spriteWidth = width + column + 1;
                std::vector<std::uint32_t> src = sprite(rng, spriteWidth * height), dst(stride * rows);
                std::vector<blend::Row> extents;
                for (int y = 0; y < height; ++y) {
                    int begin = int(rng() % (spriteWidth + 1)), end = begin + int(rng() % (spriteWidth + 1 - begin));
                    for (int x = 0; x < spriteWidth; ++x)
                        if (x < begin || x >= end) src[std::size_t(y * spriteWidth + x)] = 0;
                    extents.push_back({std::uint16_t(begin), std::uint16_t(end)});
                }
                for (auto& p : dst) p = rng();
                std::vector<std::uint32_t> expected = dst;

                // pixman: the sprite times the tint, byte by byte (a solid mask with a component
                // for each byte), then composited at (2, 1).
                pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, src.data() + column,
                                                                 spriteWidth * 4);
                std::vector<std::uint32_t> tinted(std::size_t(width * height));
                pixman_image_t* t = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, tinted.data(), width * 4);
                pixman_color_t colour{std::uint16_t((tint >> 16 & 0xff) * 257), std::uint16_t((tint >> 8 & 0xff) * 257),
                                      std::uint16_t((tint & 0xff) * 257), std::uint16_t((tint >> 24) * 257)};
                pixman_image_t* mask = pixman_image_create_solid_fill(&colour);
                pixman_image_set_component_alpha(mask, true);
                pixman_image_composite32(PIXMAN_OP_SRC, s, mask, t, 0, 0, 0, 0, 0, 0, width, height);
                pixman_image_t* d = pixman_image_create_bits(format, stride, rows, expected.data(), stride * 4);
                pixman_image_composite32(op, t, nullptr, d, 0, 0, 0, 0, 2, 1, width, height);
                for (pixman_image_t* image : {s, t, mask, d}) pixman_image_unref(image);

                blend::Pixels to{dst.data() + stride + 2, stride};
                blend::Source from{src.data() + column, spriteWidth, tint & 1 ? extents.data() : nullptr, column};
                (op == PIXMAN_OP_ADD ? blend::add : blend::over)(from, to, width, height, tint);
                // A surface without alpha leaves its fourth byte to whoever writes it.
                std::uint32_t read = format == PIXMAN_x8r8g8b8 ? 0x00ffffffu : 0xffffffffu;
                for (std::size_t i = 0; i < dst.size(); ++i)
                    ASSERT_EQ(dst[i] & read, expected[i] & read)
                        << "pixel " << i % stride << "," << i / stride << " tint " << std::hex << tint << std::dec
                        << " width " << width << " height " << height;
            }
}

std::string caseName(const testing::TestParamInfo<std::tuple<Case, blend::Path>>& info)
{
    const Case& c = std::get<0>(info.param);
    std::string name = c.op == PIXMAN_OP_ADD ? "Add" : "Over";
    name += c.target == PIXMAN_x8r8g8b8 ? "OnRgb_" : "OnArgb_";
    for (char ch : blend::name(std::get<1>(info.param)))
        if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
    return name;
}

INSTANTIATE_TEST_SUITE_P(Operators, Blend,
                         testing::Combine(testing::Values(Case{PIXMAN_OP_OVER, PIXMAN_a8r8g8b8}, Case{PIXMAN_OP_OVER, PIXMAN_x8r8g8b8},
                                         Case{PIXMAN_OP_ADD, PIXMAN_a8r8g8b8}, Case{PIXMAN_OP_ADD, PIXMAN_x8r8g8b8}),
                         testing::ValuesIn(blend::paths)),
                         caseName);

} // namespace
