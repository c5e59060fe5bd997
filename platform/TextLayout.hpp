#pragma once

#include "CGGeometry.hpp"

#include <cairo.h>
#include <string>

typedef struct _PangoLayout PangoLayout;

// One label's text, its lines centred, laid out by pango in scene points, independent of any surface (metrics are
// not hinted), so hit tests and drawing agree at every pixel scale. Rebuilt only when an input
// changes.
class TextLayout {
public:
    TextLayout();
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // Whether the layout was made from these.
    [[nodiscard]] bool matches(const std::string& fontName, CGFloat size, const std::string& text,
                               int numberOfLines) const;
    // Returns whether anything changed.
    bool set(const std::string& fontName, CGFloat size, const std::string& text, int numberOfLines);

    // The whole block, and the last line's baseline measured down from the block's top.
    [[nodiscard]] CGSize size() const { return size_; }
    [[nodiscard]] CGFloat lastBaseline() const { return lastBaseline_; }
    [[nodiscard]] bool isEmpty() const { return !layout_ || size_.width <= 0; }

    // Draws with the block's top-left at the current point of a y-down space.
    void draw(cairo_t* cr) const;

private:
    void rebuild();

    std::string fontName_;
    CGFloat fontSize_ = -1;
    std::string text_;
    int numberOfLines_ = -1;

    PangoLayout* layout_ = nullptr;
    CGSize size_;
    CGPoint offset_;
    CGFloat lastBaseline_ = 0;
};

// "AvenirNext-Bold" → a pango description "Avenir Next,<stand-in> Bold"; for tests.
[[nodiscard]] std::string pangoDescriptionForFontName(const std::string& fontName);
