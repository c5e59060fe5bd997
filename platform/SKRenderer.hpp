#pragma once

#include "Blend.hpp"
#include "CGGeometry.hpp"
#include "Damage.hpp"
#include "SKColor.hpp"
#include "SKRenderContext.hpp"
#include "SpriteCache.hpp"

#include <cairo.h>
#include <cstdint>
#include <vector>

class SKLook;
class SKNode;
class SKScene;

// Draws a scene tree: each visible node in depth order (the sum of the zPositions up the tree;
// ties in tree order, a child over its parent). A node with a look (a shape, a label) is drawn
// once into a sprite and copied after; other nodes (particles) draw themselves with cairo.
class SKRenderer {
public:
    SKRenderer() = default;
    SKRenderer(const SKRenderer&) = delete;
    SKRenderer& operator=(const SKRenderer&) = delete;

    // The context's current transform maps the scene's points (y up) to the surface. When the
    // surface still holds the last frame this renderer drew (a window's own pixels), only what
    // changed since is drawn again; damage() then tells which pixels changed.
    void drawScene(const SKScene& scene, cairo_t* cr, bool surfaceKeepsLastFrame = false);
    [[nodiscard]] const std::vector<PixelRect>& damage() const { return damage_.rects(); }

    [[nodiscard]] const SpriteCache& sprites() const { return sprites_; }

    // Copies a look's sprite with its origin at a point of the node whose context this is, times
    // a tint (a white look takes the tint's colour; its alpha is the opacity), over what is
    // there or added to it; to the nearest whole pixel when asked, which needs one sprite where
    // a quarter-pixel position needs up to sixteen. False when it cannot be a sprite: then the
    // caller draws it with cairo. An equal look the renderer already knows takes the place of
    // the caller's, so its sprites are found at once next time.
    bool drawLook(const SKRenderContext& context, std::shared_ptr<const SKLook>& look, CGPoint at, SKColor tint,
                  bool additive, bool wholePixel = false);

private:
    struct Item {
        const SKNode* node;
        cairo_matrix_t matrix;
        double alpha;
        double depth;
        const SpriteCache::Sprite* sprite; // where the look goes as a sprite, or drawn with cairo
        int x0, y0, x1, y1;                 // the pixels it may touch
    };

    void collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth);
    void orderByDepth();
    void placeItems(bool sprites);
    // Compares what each node shows with what it showed last frame; false when nothing changed.
    bool findDamage(const SKScene& scene);
    // Cairo's clip to the damage, for the nodes cairo draws.
    void clipToDamage(cairo_t* cr) const;
    // Where sprites go: the surface's own pixels, when it is an image surface.
    bool bindTarget(cairo_t* cr);
    void blit(const Item& item);
    const SpriteCache::Sprite* place(const std::shared_ptr<const SKLook>& look, const cairo_matrix_t& m, int& x, int& y);
    // The node's transform onto the surface with its origin where its sprite is to go.
    [[nodiscard]] cairo_matrix_t snapped(const SKNode& node, cairo_matrix_t m) const;
    void composite(const SpriteCache::Sprite& sprite, int x, int y, std::uint32_t tint, bool additive);

    std::vector<Item> items_;   // in tree order; kept between frames
    std::vector<Item> ordered_; // the same, in drawing order
    std::vector<std::pair<double, std::uint32_t>> depths_; // each depth seen, and how many items have it
    SpriteCache sprites_;
    blend::Pixels target_{}; // the surface's own pixels
    int targetWidth_ = 0, targetHeight_ = 0;
    int clipX0_ = 0, clipY0_ = 0, clipX1_ = 0, clipY1_ = 0; // where sprites may go, in surface pixels

    Damage damage_;
    bool tracking_ = false; // this frame draws only into damage_
};
