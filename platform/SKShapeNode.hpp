#pragma once

#include "CGPath.hpp"
#include "SKColor.hpp"
#include "SKLook.hpp"
#include "SKNode.hpp"

// A filled and stroked outline. Defaults: no fill, a white stroke of width 1 straddling the path.
class SKShapeNode : public SKNode {
public:
    explicit SKShapeNode(CGPath path = {}) : path_(std::move(path)) {}

    [[nodiscard]] static std::shared_ptr<SKShapeNode> shapeNodeWithPath(CGPath path);
    // A rectangle in the node's coordinates, as given.
    [[nodiscard]] static std::shared_ptr<SKShapeNode> shapeNodeWithRect(const CGRect& rect, CGFloat cornerRadius = 0);
    // Centred on the node's origin.
    [[nodiscard]] static std::shared_ptr<SKShapeNode> shapeNodeWithRectOfSize(CGSize size, CGFloat cornerRadius = 0);
    [[nodiscard]] static std::shared_ptr<SKShapeNode> shapeNodeWithCircleOfRadius(CGFloat radius);

    [[nodiscard]] const CGPath& path() const { return path_; }
    void setFillColor(SKColor color) { fillColor_ = color, look_.reset(); }
    [[nodiscard]] SKColor fillColor() const { return fillColor_; }
    void setStrokeColor(SKColor color) { strokeColor_ = color, look_.reset(); }
    [[nodiscard]] SKColor strokeColor() const { return strokeColor_; }
    void setLineWidth(CGFloat width) { lineWidth_ = width, look_.reset(); }
    [[nodiscard]] CGFloat lineWidth() const { return lineWidth_; }

protected:
    void drawContent(SKRenderContext& context) const override;
    [[nodiscard]] const std::shared_ptr<const SKLook>* makeLook() const override;
    // The path's box, grown by half the line width when there is a visible stroke.
    [[nodiscard]] CGRect contentBounds() const override;

private:
    CGPath path_;
    SKColor fillColor_ = SKColor::clearColor();
    SKColor strokeColor_ = SKColor::whiteColor();
    CGFloat lineWidth_ = 1;
};
