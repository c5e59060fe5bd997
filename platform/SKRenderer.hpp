#pragma once

#include "CGGeometry.hpp"

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

// Draws a scene tree with cairo: each visible node in depth order (the sum of the zPositions up
// the tree; ties in tree order, a child over its parent).
class SKRenderer {
public:
    // The context's current transform maps the scene's points (y up) to the surface.
    void drawScene(const SKScene& scene, cairo_t* cr);

private:
    struct Item {
        const SKNode* node;
        cairo_matrix_t matrix;
        double alpha;
        double depth;
        std::uint32_t order;
    };

    void collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth);

    std::vector<Item> items_; // kept between frames
};
