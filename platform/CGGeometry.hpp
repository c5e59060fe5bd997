#pragma once

#include <algorithm>
#include <cmath>
#include <ostream>

// Scene points, origin bottom-left, y up.
using CGFloat = double;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;

    friend bool operator==(CGPoint, CGPoint) = default;
    friend CGPoint operator+(CGPoint a, CGPoint b) { return {a.x + b.x, a.y + b.y}; }
    friend CGPoint operator-(CGPoint a, CGPoint b) { return {a.x - b.x, a.y - b.y}; }
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;

    friend bool operator==(CGSize, CGSize) = default;
};

struct CGVector {
    CGFloat dx = 0;
    CGFloat dy = 0;

    friend bool operator==(CGVector, CGVector) = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;

    [[nodiscard]] CGFloat minX() const { return std::min(origin.x, origin.x + size.width); }
    [[nodiscard]] CGFloat maxX() const { return std::max(origin.x, origin.x + size.width); }
    [[nodiscard]] CGFloat minY() const { return std::min(origin.y, origin.y + size.height); }
    [[nodiscard]] CGFloat maxY() const { return std::max(origin.y, origin.y + size.height); }
    [[nodiscard]] CGFloat midX() const { return origin.x + size.width / 2; }
    [[nodiscard]] CGFloat midY() const { return origin.y + size.height / 2; }
    [[nodiscard]] bool isEmpty() const { return size.width == 0 || size.height == 0; }

    // Half-open on the max edges, so two rects that only share an edge never both claim a point.
    [[nodiscard]] bool contains(CGPoint p) const
    {
        return !isEmpty() && p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }

    // An empty rect is no part of a union: a node with nothing to draw adds nothing.
    [[nodiscard]] CGRect unionWith(const CGRect& other) const
    {
        if (isEmpty()) return other;
        if (other.isEmpty()) return *this;
        CGFloat x0 = std::min(minX(), other.minX()), y0 = std::min(minY(), other.minY());
        CGFloat x1 = std::max(maxX(), other.maxX()), y1 = std::max(maxY(), other.maxY());
        return {{x0, y0}, {x1 - x0, y1 - y0}};
    }

    friend bool operator==(const CGRect&, const CGRect&) = default;
};

// A rectangle of a surface's pixels, y down from the top-left corner.
struct PixelRect {
    int x, y, width, height;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline std::ostream& operator<<(std::ostream& os, CGPoint p) { return os << '(' << p.x << ", " << p.y << ')'; }
inline std::ostream& operator<<(std::ostream& os, CGSize s) { return os << s.width << " x " << s.height; }
inline std::ostream& operator<<(std::ostream& os, CGVector v) { return os << '<' << v.dx << ", " << v.dy << '>'; }
inline std::ostream& operator<<(std::ostream& os, const CGRect& r) { return os << '[' << r.origin << ' ' << r.size << ']'; }
inline std::ostream& operator<<(std::ostream& os, const PixelRect& r)
{
    return os << r.width << 'x' << r.height << '+' << r.x << '+' << r.y;
}
