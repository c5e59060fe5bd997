#pragma once

#include "CGGeometry.hpp"

#include <algorithm>
#include <cmath>

// Where a view goes in a window: uniformly scaled to the largest size that fits, centred on whole
// pixels, with bars where the aspects differ. Drawing and clicks go through the same one.
struct Letterbox {
    double scale = 1; // window pixels per view point
    CGPoint origin;   // the view's top-left corner, in window pixels

    [[nodiscard]] static Letterbox fit(CGSize view, double width, double height)
    {
        double scale = std::min(width / view.width, height / view.height);
        return {scale, {std::floor((width - view.width * scale) / 2), std::floor((height - view.height * scale) / 2)}};
    }

    // A window pixel (y down) as a view point (y up).
    [[nodiscard]] CGPoint toView(CGPoint pixel, CGSize view) const
    {
        return {(pixel.x - origin.x) / scale, view.height - (pixel.y - origin.y) / scale};
    }

    friend bool operator==(const Letterbox&, const Letterbox&) = default;
};

// The scale to open a window at: the desktop's own, or the largest under it at which the view
// fits the area given (below 1 if need be).
[[nodiscard]] inline double windowScale(CGSize view, double desktopScale, CGSize area)
{
    if (area.width <= 0 || area.height <= 0) return desktopScale;
    return std::min({desktopScale, area.width / view.width, area.height / view.height});
}
