#include "SKLabelNode.hpp"

#include "SKRenderContext.hpp"
#include "TextLayout.hpp"

SKLabelNode::SKLabelNode(std::string fontName) : fontName_(std::move(fontName)) {}

SKLabelNode::~SKLabelNode() = default;

std::shared_ptr<SKLabelNode> SKLabelNode::labelNodeWithFontNamed(std::string fontName)
{
    return std::make_shared<SKLabelNode>(std::move(fontName));
}

const TextLayout& SKLabelNode::layout() const
{
    // A look may still hold the old layout: a changed text gets a layout of its own.
    if (layout_ && layout_.use_count() > 1 && !layout_->matches(fontName_, fontSize_, text_, numberOfLines_))
        layout_.reset();
    if (!layout_) layout_ = std::make_shared<TextLayout>();
    layout_->set(fontName_, fontSize_, text_, numberOfLines_);
    return *layout_;
}

CGRect SKLabelNode::contentBounds() const
{
    const TextLayout& text = layout();
    if (text.isEmpty()) return {};
    CGSize size = text.size();
    // y of the block's top edge, y up
    CGFloat top = vertical_ == SKLabelVerticalAlignmentMode::center ? size.height / 2 : text.lastBaseline();
    return {{-size.width / 2, top - size.height}, size};
}

namespace {

void paintText(cairo_t* cr, const TextLayout& text, CGRect box, SKColor color)
{
    cairo_translate(cr, box.minX(), box.maxY());
    cairo_scale(cr, 1, -1);
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
    cairo_move_to(cr, 0, 0);
    text.draw(cr);
}

// A label's look: its laid-out text in its colour, placed around the origin. It keeps its own
// layout, shared with the label it came from until that label's text changes.
class LabelLook final : public SKLook {
public:
    LabelLook(std::uint64_t hash, std::string key, std::shared_ptr<const TextLayout> text, CGRect box, SKColor color)
        : SKLook(hash), key_(std::move(key)), text_(std::move(text)), box_(box), color_(color)
    {
    }
    bool equals(const SKLook& other) const override
    {
        auto* o = dynamic_cast<const LabelLook*>(&other);
        return o && o->key_ == key_ && o->box_ == box_ && o->color_ == color_;
    }
    CGRect bounds() const override { return box_; }
    void draw(cairo_t* cr) const override { paintText(cr, *text_, box_, color_); }
    bool isText() const override { return true; }

private:
    std::string key_; // font, size, lines, alignment and text: what the layout was made from
    std::shared_ptr<const TextLayout> text_;
    CGRect box_;
    SKColor color_;
};

} // namespace

void SKLabelNode::drawContent(SKRenderContext& context) const
{
    CGRect box = contentBounds();
    if (box.isEmpty() || fontColor_.isClear()) return;
    cairo_t* cr = context.cr;
    // Colour emoji ignore the source colour's alpha: fade the whole label as a group instead.
    bool group = context.alpha < 1;
    if (group) cairo_push_group(cr);
    paintText(cr, layout(), box, fontColor_);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, context.alpha);
    }
}

const std::shared_ptr<const SKLook>* SKLabelNode::makeLook() const
{
    CGRect box = contentBounds();
    if (box.isEmpty() || fontColor_.isClear()) return nullptr;
    std::string key = fontName_ + '\n' + std::to_string(fontSize_) + '\n' + std::to_string(numberOfLines_) + '\n' + text_;
    std::uint64_t hash = LookHasher().add(std::string_view(key)).add(box).add(fontColor_).value();
    look_ = std::make_shared<LabelLook>(hash, std::move(key), layout_, box, fontColor_);
    return &look_;
}
