#include "SKShapeNode.hpp"

#include "SKRenderer.hpp"

std::shared_ptr<SKShapeNode> SKShapeNode::shapeNodeWithPath(CGPath path)
{
    return std::make_shared<SKShapeNode>(std::move(path));
}

std::shared_ptr<SKShapeNode> SKShapeNode::shapeNodeWithRect(const CGRect& rect, CGFloat cornerRadius)
{
    return shapeNodeWithPath(CGPath::rect(rect, cornerRadius));
}

std::shared_ptr<SKShapeNode> SKShapeNode::shapeNodeWithRectOfSize(CGSize size, CGFloat cornerRadius)
{
    return shapeNodeWithRect({{-size.width / 2, -size.height / 2}, size}, cornerRadius);
}

std::shared_ptr<SKShapeNode> SKShapeNode::shapeNodeWithCircleOfRadius(CGFloat radius)
{
    return shapeNodeWithPath(CGPath::ellipseInRect({{-radius, -radius}, {2 * radius, 2 * radius}}));
}

namespace {
void tracePath(cairo_t* cr, const CGPath& path)
{
    cairo_new_path(cr);
    for (const CGPath::Element& e : path.elements()) {
        switch (e.op) {
        case CGPath::Op::move: cairo_move_to(cr, e.p[0].x, e.p[0].y); break;
        case CGPath::Op::line: cairo_line_to(cr, e.p[0].x, e.p[0].y); break;
        case CGPath::Op::curve: cairo_curve_to(cr, e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y); break;
        case CGPath::Op::close: cairo_close_path(cr); break;
        }
    }
}

bool strokes(SKColor color, CGFloat width) { return !color.isClear() && width > 0; }
} // namespace

void SKShapeNode::drawContent(SKRenderContext& context) const
{
    bool fill = !fillColor_.isClear();
    bool stroke = strokes(strokeColor_, lineWidth_);
    if (path_.isEmpty() || (!fill && !stroke)) return;
    cairo_t* cr = context.cr;
    cairo_set_antialias(cr, antialiased_ ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    tracePath(cr, path_);
    if (fill) {
        cairo_set_source_rgba(cr, fillColor_.red, fillColor_.green, fillColor_.blue, fillColor_.alpha * context.alpha);
        stroke ? cairo_fill_preserve(cr) : cairo_fill(cr);
    }
    if (stroke) {
        cairo_set_source_rgba(cr, strokeColor_.red, strokeColor_.green, strokeColor_.blue,
                              strokeColor_.alpha * context.alpha);
        cairo_set_line_width(cr, lineWidth_);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        cairo_stroke(cr);
    }
}

CGRect SKShapeNode::contentBounds() const
{
    if (path_.isEmpty()) return {};
    CGRect box = path_.boundingBox();
    if (strokes(strokeColor_, lineWidth_)) {
        CGFloat h = lineWidth_ / 2;
        box = {{box.minX() - h, box.minY() - h}, {box.maxX() - box.minX() + 2 * h, box.maxY() - box.minY() + 2 * h}};
    }
    return box;
}
