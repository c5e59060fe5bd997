#include "CGPath.hpp"

#include <algorithm>
#include <limits>

namespace {
// Control-point distance for a quarter circle as four cubics.
constexpr CGFloat kappa = 0.5522847498307936;
} // namespace

CGPath CGPath::rect(const CGRect& r, CGFloat cornerRadius)
{
    CGPath path;
    CGFloat x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
    CGFloat radius = std::clamp(cornerRadius, 0.0, std::min(x1 - x0, y1 - y0) / 2);
    if (radius <= 0) {
        path.moveTo({x0, y0});
        path.addLineTo({x1, y0});
        path.addLineTo({x1, y1});
        path.addLineTo({x0, y1});
        path.closeSubpath();
        return path;
    }
    CGFloat k = radius * (1 - kappa);
    path.moveTo({x0 + radius, y0});
    path.addLineTo({x1 - radius, y0});
    path.addCurveTo({x1 - k, y0}, {x1, y0 + k}, {x1, y0 + radius});
    path.addLineTo({x1, y1 - radius});
    path.addCurveTo({x1, y1 - k}, {x1 - k, y1}, {x1 - radius, y1});
    path.addLineTo({x0 + radius, y1});
    path.addCurveTo({x0 + k, y1}, {x0, y1 - k}, {x0, y1 - radius});
    path.addLineTo({x0, y0 + radius});
    path.addCurveTo({x0, y0 + k}, {x0 + k, y0}, {x0 + radius, y0});
    path.closeSubpath();
    return path;
}

CGPath CGPath::ellipseInRect(const CGRect& r)
{
    CGPath path;
    path.addEllipseInRect(r);
    return path;
}

CGPath CGPath::closedPolygon(std::initializer_list<CGPoint> points)
{
    CGPath path;
    for (CGPoint p : points) path.isEmpty() ? path.moveTo(p) : path.addLineTo(p);
    path.closeSubpath();
    return path;
}

void CGPath::moveTo(CGPoint p)
{
    elements_.push_back({Op::move, {p}});
    current_ = subpathStart_ = p;
}

void CGPath::addLineTo(CGPoint p)
{
    if (elements_.empty()) return moveTo(p);
    elements_.push_back({Op::line, {p}});
    current_ = p;
}

void CGPath::addCurveTo(CGPoint c1, CGPoint c2, CGPoint end)
{
    if (elements_.empty()) moveTo(c1);
    elements_.push_back({Op::curve, {c1, c2, end}});
    current_ = end;
}

void CGPath::addEllipseInRect(const CGRect& r)
{
    CGFloat cx = r.midX(), cy = r.midY();
    CGFloat rx = (r.maxX() - r.minX()) / 2, ry = (r.maxY() - r.minY()) / 2;
    CGFloat kx = rx * kappa, ky = ry * kappa;
    moveTo({cx + rx, cy});
    addCurveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    addCurveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    addCurveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    addCurveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    closeSubpath();
}

void CGPath::closeSubpath()
{
    if (elements_.empty() || elements_.back().op == Op::close) return;
    elements_.push_back({Op::close, {}});
    current_ = subpathStart_;
}

CGRect CGPath::boundingBox() const
{
    constexpr CGFloat inf = std::numeric_limits<CGFloat>::infinity();
    CGFloat x0 = inf, y0 = inf, x1 = -inf, y1 = -inf;
    for (const Element& e : elements_) {
        int n = e.op == Op::curve ? 3 : e.op == Op::close ? 0 : 1;
        for (int i = 0; i < n; ++i) {
            x0 = std::min(x0, e.p[i].x);
            y0 = std::min(y0, e.p[i].y);
            x1 = std::max(x1, e.p[i].x);
            y1 = std::max(y1, e.p[i].y);
        }
    }
    if (x0 > x1) return {};
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

bool operator==(const CGPath& a, const CGPath& b)
{
    return std::equal(a.elements_.begin(), a.elements_.end(), b.elements_.begin(), b.elements_.end(),
                      [](const CGPath::Element& x, const CGPath::Element& y) {
                          return x.op == y.op && x.p[0] == y.p[0] && x.p[1] == y.p[1] && x.p[2] == y.p[2];
                      });
}
