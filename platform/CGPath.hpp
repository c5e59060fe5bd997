#pragma once

#include "CGGeometry.hpp"

#include <initializer_list>
#include <vector>

// A vector outline: subpaths of lines and cubic curves. Built once, then shared by value.
class CGPath {
public:
    enum class Op { move, line, curve, close };
    struct Element {
        Op op;
        CGPoint p[3]; // line/move use p[0]; curve uses two controls then the end point
    };

    CGPath() = default;

    // Centred or corner-anchored rectangles; the radius is clamped to half the shorter side.
    [[nodiscard]] static CGPath rect(const CGRect& rect, CGFloat cornerRadius = 0);
    [[nodiscard]] static CGPath ellipseInRect(const CGRect& rect);
    // Move to the first point, a line to each of the others in turn, then close.
    [[nodiscard]] static CGPath closedPolygon(std::initializer_list<CGPoint> points);

    void moveTo(CGPoint p);
    void addLineTo(CGPoint p);
    void addCurveTo(CGPoint c1, CGPoint c2, CGPoint end);
    void addEllipseInRect(const CGRect& rect);
    void closeSubpath();

    [[nodiscard]] const std::vector<Element>& elements() const { return elements_; }
    [[nodiscard]] bool isEmpty() const { return elements_.empty(); }
    // The box of every point, control points included; for the curves built here that is tight.
    [[nodiscard]] CGRect boundingBox() const;

    friend bool operator==(const CGPath& a, const CGPath& b);

private:
    std::vector<Element> elements_;
    CGPoint current_;
    CGPoint subpathStart_;
};
