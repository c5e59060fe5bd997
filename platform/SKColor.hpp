#pragma once

#include <ostream>

// An RGBA colour, components 0…1, not premultiplied. The named colours are the standard ones.
struct SKColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    [[nodiscard]] static constexpr SKColor colorWithRed(double r, double g, double b, double a) { return {r, g, b, a}; }
    [[nodiscard]] static constexpr SKColor colorWithWhite(double w, double a) { return {w, w, w, a}; }

    [[nodiscard]] static constexpr SKColor blackColor() { return {0, 0, 0, 1}; }
    [[nodiscard]] static constexpr SKColor whiteColor() { return {1, 1, 1, 1}; }
    [[nodiscard]] static constexpr SKColor clearColor() { return {0, 0, 0, 0}; }
    [[nodiscard]] static constexpr SKColor redColor() { return {1, 0, 0, 1}; }
    [[nodiscard]] static constexpr SKColor greenColor() { return {0, 1, 0, 1}; }
    [[nodiscard]] static constexpr SKColor cyanColor() { return {0, 1, 1, 1}; }
    [[nodiscard]] static constexpr SKColor yellowColor() { return {1, 1, 0, 1}; }
    [[nodiscard]] static constexpr SKColor magentaColor() { return {1, 0, 1, 1}; }
    [[nodiscard]] static constexpr SKColor orangeColor() { return {1, 0.5, 0, 1}; }
    [[nodiscard]] static constexpr SKColor purpleColor() { return {0.5, 0, 0.5, 1}; }
    [[nodiscard]] static constexpr SKColor darkGrayColor() { return {1.0 / 3, 1.0 / 3, 1.0 / 3, 1}; }
    [[nodiscard]] static constexpr SKColor lightGrayColor() { return {2.0 / 3, 2.0 / 3, 2.0 / 3, 1}; }

    [[nodiscard]] constexpr bool isClear() const { return alpha <= 0; }

    friend constexpr bool operator==(const SKColor&, const SKColor&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const SKColor& c)
{
    return os << "rgba(" << c.red << ", " << c.green << ", " << c.blue << ", " << c.alpha << ')';
}
