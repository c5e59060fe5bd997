#include "SKLabelNode.hpp"

#include "SKRenderer.hpp"
#include "TextLayout.hpp"

SKLabelNode::SKLabelNode(std::string fontName) : fontName_(std::move(fontName)) {}

SKLabelNode::~SKLabelNode() = default;

std::shared_ptr<SKLabelNode> SKLabelNode::labelNodeWithFontNamed(std::string fontName)
{
    return std::make_shared<SKLabelNode>(std::move(fontName));
}

const TextLayout& SKLabelNode::layout() const
{
    if (!layout_) layout_ = std::make_unique<TextLayout>();
    TextLayout::Align align = horizontal_ == SKLabelHorizontalAlignmentMode::left    ? TextLayout::Align::left
                              : horizontal_ == SKLabelHorizontalAlignmentMode::right ? TextLayout::Align::right
                                                                                     : TextLayout::Align::center;
    layout_->set(fontName_, fontSize_, text_, numberOfLines_, align);
    return *layout_;
}

CGRect SKLabelNode::contentBounds() const
{
    const TextLayout& text = layout();
    if (text.isEmpty()) return {};
    CGSize size = text.size();
    CGFloat left = horizontal_ == SKLabelHorizontalAlignmentMode::left    ? 0
                   : horizontal_ == SKLabelHorizontalAlignmentMode::right ? -size.width
                                                                          : -size.width / 2;
    CGFloat top = 0; // y of the block's top edge, y up
    switch (vertical_) {
    case SKLabelVerticalAlignmentMode::baseline: top = text.lastBaseline(); break;
    case SKLabelVerticalAlignmentMode::center: top = size.height / 2; break;
    case SKLabelVerticalAlignmentMode::top: top = 0; break;
    case SKLabelVerticalAlignmentMode::bottom: top = size.height; break;
    }
    return {{left, top - size.height}, size};
}

void SKLabelNode::drawContent(SKRenderContext& context) const
{
    CGRect box = contentBounds();
    if (box.isEmpty() || fontColor_.isClear()) return;
    cairo_t* cr = context.cr;
    // Colour emoji ignore the source colour's alpha: fade the whole label as a group instead.
    bool group = context.alpha < 1;
    if (group) cairo_push_group(cr);
    cairo_translate(cr, box.minX(), box.maxY());
    cairo_scale(cr, 1, -1);
    cairo_set_source_rgba(cr, fontColor_.red, fontColor_.green, fontColor_.blue, fontColor_.alpha);
    cairo_move_to(cr, 0, 0);
    layout().draw(cr);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, context.alpha);
    }
}
