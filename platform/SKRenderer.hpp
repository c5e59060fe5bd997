#pragma once

#include "CGGeometry.hpp"
#include "SpriteCache.hpp"

#include <cairo.h>
#include <cstdint>
#include <vector>

class SKNode;
class SKScene;

// What a node's drawContent gets: the cairo context, already in the node's own coordinates
// (y up), and the node's effective alpha (its own times its ancestors').
struct SKRenderContext {
    cairo_t* cr;
    double alpha;
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

private:
    struct Item {
        const SKNode* node;
        cairo_matrix_t matrix;
        double alpha;
        double depth;
        std::uint32_t order;
    };

    void collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth);
    // Where sprites go: the surface's own pixels, when it is an image surface.
    bool bindTarget(cairo_t* cr);
    bool blit(const Item& item);

    std::vector<Item> items_; // kept between frames
    SpriteCache sprites_;
    pixman_image_t* target_ = nullptr;
    unsigned char* targetData_ = nullptr;
    std::uint32_t opacityBits_ = 0; // a 1 x 1 alpha mask, repeated: the node's opacity
    pixman_image_t* opacity_ = nullptr;
};
