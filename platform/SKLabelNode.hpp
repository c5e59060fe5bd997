#pragma once

#include "SKColor.hpp"
#include "SKLook.hpp"
#include "SKNode.hpp"

#include <memory>
#include <string>

class TextLayout;

// The text block is always centred on the node's origin horizontally, its lines centred within it.
enum class SKLabelHorizontalAlignmentMode { center = 0 };
// Baseline: the last line's baseline sits on the node's origin, so extra lines grow upwards.
enum class SKLabelVerticalAlignmentMode { baseline = 0, center = 1 };

// UTF-8 text in one font, laid out with pango. Defaults: white, size 32, centred on the origin
// horizontally, on the baseline vertically, one line. A font that is not installed falls back.
class SKLabelNode : public SKNode {
public:
    explicit SKLabelNode(std::string fontName = "Helvetica");
    ~SKLabelNode() override;

    [[nodiscard]] static std::shared_ptr<SKLabelNode> labelNodeWithFontNamed(std::string fontName);

    void setText(std::string text) { text_ = std::move(text), look_.reset(); }
    [[nodiscard]] const std::string& text() const { return text_; }
    void setFontName(std::string name) { fontName_ = std::move(name), look_.reset(); }
    [[nodiscard]] const std::string& fontName() const { return fontName_; }
    void setFontSize(CGFloat size) { fontSize_ = size, look_.reset(); }
    [[nodiscard]] CGFloat fontSize() const { return fontSize_; }
    void setFontColor(SKColor color) { fontColor_ = color, look_.reset(); }
    [[nodiscard]] SKColor fontColor() const { return fontColor_; }
    void setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode) {} // centred is all there is
    void setVerticalAlignmentMode(SKLabelVerticalAlignmentMode mode) { vertical_ = mode, look_.reset(); }
    [[nodiscard]] SKLabelVerticalAlignmentMode verticalAlignmentMode() const { return vertical_; }
    // Lines past this many are not shown; 0 shows them all.
    void setNumberOfLines(int lines) { numberOfLines_ = lines, look_.reset(); }
    [[nodiscard]] int numberOfLines() const { return numberOfLines_; }

protected:
    void drawContent(SKRenderContext& context) const override;
    [[nodiscard]] const std::shared_ptr<const SKLook>* makeLook() const override;
    // The laid-out text block, placed by the alignment modes.
    [[nodiscard]] CGRect contentBounds() const override;

private:
    const TextLayout& layout() const;

    std::string fontName_;
    std::string text_;
    CGFloat fontSize_ = 32;
    SKColor fontColor_ = SKColor::whiteColor();
    SKLabelVerticalAlignmentMode vertical_ = SKLabelVerticalAlignmentMode::baseline;
    int numberOfLines_ = 1;
    mutable std::shared_ptr<TextLayout> layout_; // a cache of the text above
};
