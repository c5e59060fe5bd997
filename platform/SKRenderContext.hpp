#pragma once

#include <cairo.h>

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
