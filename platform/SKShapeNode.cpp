#include "SKShapeNode.hpp"

#include "SKRenderContext.hpp"

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

bool strokes(SKColor color, CGFloat width) { return !color.isClear() && width > 0; }

// A shape's look: its outline and paint, independent of where it stands.
class ShapeLook final : public SKLook {
public:
    ShapeLook(const CGPath& path, SKColor fill, SKColor stroke, CGFloat lineWidth, CGRect bounds)
        : SKLook(hashOf(path, fill, stroke, lineWidth)), path_(path), fill_(fill), stroke_(stroke), lineWidth_(lineWidth),
          bounds_(bounds)
    {
    }

    bool equals(const SKLook& other) const override
    {
        auto* o = dynamic_cast<const ShapeLook*>(&other);
        return o && o->fill_ == fill_ && o->stroke_ == stroke_ && o->lineWidth_ == lineWidth_ && o->path_ == path_;
    }
    CGRect bounds() const override { return bounds_; }
    void draw(cairo_t* cr) const override { paint(cr, path_, fill_, stroke_, lineWidth_, 1); }

    static void paint(cairo_t* cr, const CGPath& path, SKColor fill, SKColor stroke, CGFloat lineWidth, double alpha)
    {
        bool filled = !fill.isClear();
        bool stroked = strokes(stroke, lineWidth);
        if (path.isEmpty() || (!filled && !stroked)) return;
        cairo_new_path(cr);
        for (const CGPath::Element& e : path.elements()) {
            switch (e.op) {
            case CGPath::Op::move: cairo_move_to(cr, e.p[0].x, e.p[0].y); break;
            case CGPath::Op::line: cairo_line_to(cr, e.p[0].x, e.p[0].y); break;
            case CGPath::Op::curve:
                cairo_curve_to(cr, e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y);
                break;
            case CGPath::Op::close: cairo_close_path(cr); break;
            }
        }
        if (filled) {
            cairo_set_source_rgba(cr, fill.red, fill.green, fill.blue, fill.alpha * alpha);
            stroked ? cairo_fill_preserve(cr) : cairo_fill(cr);
        }
        if (stroked) {
            cairo_set_source_rgba(cr, stroke.red, stroke.green, stroke.blue, stroke.alpha * alpha);
            cairo_set_line_width(cr, lineWidth);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
            cairo_stroke(cr);
        }
    }

private:
    static std::uint64_t hashOf(const CGPath& path, SKColor fill, SKColor stroke, CGFloat lineWidth)
    {
        LookHasher h;
        h.add(fill).add(stroke).add(lineWidth);
        for (const CGPath::Element& e : path.elements()) h.add(e.op).add(e.p[0]).add(e.p[1]).add(e.p[2]);
        return h.value();
    }

    CGPath path_;
    SKColor fill_, stroke_;
    CGFloat lineWidth_;
    CGRect bounds_;
};

} // namespace

void SKShapeNode::drawContent(SKRenderContext& context) const
{
    ShapeLook::paint(context.cr, path_, fillColor_, strokeColor_, lineWidth_, context.alpha);
}

const std::shared_ptr<const SKLook>* SKShapeNode::makeLook() const
{
    if (path_.isEmpty() || (fillColor_.isClear() && !strokes(strokeColor_, lineWidth_))) return nullptr;
    // Mitred corners may reach past half the line width: up to the miter limit (10) times it.
    CGRect box = path_.boundingBox();
    CGFloat reach = strokes(strokeColor_, lineWidth_) ? lineWidth_ * 5 : 0;
    CGRect bounds{{box.minX() - reach, box.minY() - reach}, {box.size.width + 2 * reach, box.size.height + 2 * reach}};
    look_ = std::make_shared<ShapeLook>(path_, fillColor_, strokeColor_, lineWidth_, bounds);
    return &look_;
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
