#pragma once

#include "SKColor.hpp"

#include <memory>

// How a view changes scenes: the old scene fades to a colour, then the new one fades in from it.
class SKTransition {
public:
    // Fades through black; half the duration out, half in.
    [[nodiscard]] static std::shared_ptr<SKTransition> fadeWithDuration(double duration)
    {
        return std::make_shared<SKTransition>(duration, SKColor::blackColor());
    }

    SKTransition(double duration, SKColor color) : duration_(duration), color_(color) {}

    [[nodiscard]] double duration() const { return duration_; }
    [[nodiscard]] SKColor color() const { return color_; }

private:
    double duration_;
    SKColor color_;
};
