#pragma once

#include "CGGeometry.hpp"
#include "SpriteCache.hpp"

#include <cairo.h>
#include <cstdint>
#include <vector>

class SKNode;
class SKScene;

class SKLook;
class SKRenderer;

// What a node's drawContent gets: the cairo context, already in the node's own coordinates
// (y up), the node's effective alpha (its own times its ancestors'), and a way to copy the
// sprites of looks of its own (particles), when the surface takes sprites.
struct SKRenderContext {
    cairo_t* cr;
    double alpha;
    SKRenderer* sprites = nullptr;
    const cairo_matrix_t* matrix = nullptr; // the node's coordinates onto the surface
};

// Draws a scene tree: each visible node in depth order (the sum of the zPositions up the tree;
// ties in tree order, a child over its parent). A node with a look (a shape, a label) is drawn
// once into a sprite and copied after; other nodes (particles) draw themselves with cairo.
class SKRenderer {
public:
    SKRenderer();
    ~SKRenderer();
    SKRenderer(const SKRenderer&) = delete;
    SKRenderer& operator=(const SKRenderer&) = delete;

    // The context's current transform maps the scene's points (y up) to the surface.
    void drawScene(const SKScene& scene, cairo_t* cr);

    [[nodiscard]] const SpriteCache& sprites() const { return sprites_; }

    // Copies a look's sprite with its origin at a point of the node whose context this is, at
    // an opacity, over what is there or added to it. False when it cannot be a sprite: then the
    // caller draws it with cairo.
    bool drawLook(const SKRenderContext& context, const std::shared_ptr<const SKLook>& look, CGPoint at, double alpha,
                  bool additive);

private:
    struct Item {
        const SKNode* node;
        cairo_matrix_t matrix;
        double alpha;
        double depth;
        std::uint32_t order;
    };

    void collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth);
    void orderByDepth();
    // Where sprites go: the surface's own pixels, when it is an image surface.
    bool bindTarget(cairo_t* cr);
    bool blit(const Item& item);
    const SpriteCache::Sprite* place(const std::shared_ptr<const SKLook>& look, const cairo_matrix_t& m, int& x, int& y);
    void composite(const SpriteCache::Sprite& sprite, int x, int y, double alpha, bool additive);

    std::vector<Item> items_;   // in tree order; kept between frames
    std::vector<Item> ordered_; // the same, in drawing order
    std::vector<std::pair<double, std::uint32_t>> depths_; // each depth seen, and how many items have it
    SpriteCache sprites_;
    pixman_image_t* target_ = nullptr;
    int clipX0_ = 0, clipY0_ = 0, clipX1_ = 0, clipY1_ = 0; // where sprites may go, in surface pixels
    unsigned char* targetData_ = nullptr;
    std::uint32_t opacityBits_ = 0; // a 1 x 1 alpha mask, repeated: the node's opacity
    pixman_image_t* opacity_ = nullptr;
};
