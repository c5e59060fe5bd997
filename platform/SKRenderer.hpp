#pragma once

#include "Blend.hpp"
#include "CGGeometry.hpp"
#include "Damage.hpp"
#include "HelperThread.hpp"
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
    // changed since is drawn again; damage() then tells which pixels changed (not counting the
    // stale ones also drawn).
    // Buffers taking turns count as one surface when they name the same `surface`; `stale` are
    // the rects of this one that are older than the last frame drawn.
    void drawScene(const SKScene& scene, cairo_t* cr, bool surfaceKeepsLastFrame = false, const void* surface = nullptr,
                   const std::vector<PixelRect>* stale = nullptr);
    [[nodiscard]] const std::vector<PixelRect>& damage() const { return damage_.changed(); }

    [[nodiscard]] const SpriteCache& sprites() const { return sprites_; }

    // What the last frame drew: pixels copied from sprites, by what they show (shapes at full
    // strength, shapes faded or tinted, particles, text), and background bytes filled; and the
    // time taken to place the nodes, fill and draw. A background filled with the sprites counts
    // in their time too, and in fillMs as each thread spent it.
    struct Work {
        std::uint64_t solidPixels, fadedPixels, particlePixels, textPixels, filledBytes;
        std::uint32_t sprites, drawnByCairo;
        std::uint32_t tiles; // the pieces sprites were drawn in, a band drawn undivided counting one
        double placeMs, fillMs, drawMs;
        int bands; // sprites drawn as one, or in two bands on two threads

        // Adds another's counts and fill time (not its other times, not its bands).
        void addCounts(const Work& other)
        {
            fillMs += other.fillMs;
            solidPixels += other.solidPixels, fadedPixels += other.fadedPixels;
            particlePixels += other.particlePixels, textPixels += other.textPixels;
            filledBytes += other.filledBytes, sprites += other.sprites, drawnByCairo += other.drawnByCairo;
            tiles += other.tiles;
        }
    };
    [[nodiscard]] const Work& work() const { return work_; }

    // Sprites are drawn in two bands, the lower one on a second thread, when a frame has at least
    // this many pixels of them: below that, waking a thread costs more than it saves.
    static constexpr std::uint64_t bandedByDefault = 300000;
    void setBandedFrom(std::uint64_t pixels) { bandedFrom_ = pixels; }
    // A band drawn whole that is larger than this many bytes (a core's cache, about) is filled
    // and drawn a tile of about tileBytes at a time, so its pixels stay in the cache from their
    // fill to their last sprite: a large frame's pixels would otherwise be fetched back from
    // memory by each sprite. Smaller bands stay in the cache anyway, and would only lose to the
    // sprites cut at the tiles' edges.
    static constexpr std::uint64_t tilesByDefault = std::uint64_t(1) << 20;
    static constexpr std::uint64_t tileBytes = std::uint64_t(256) << 10;
    void setTilesFrom(std::uint64_t bytes) { tilesFrom_ = bytes; }

    // Copies a look's sprite with its origin at a point of the node whose context this is, times
    // a tint (a white look takes the tint's colour; its alpha is the opacity), over what is
    // there or added to it; to the nearest whole pixel when asked, which needs one sprite where
    // a quarter-pixel position needs up to sixteen. False when it cannot be a sprite: then the
    // caller draws it with cairo. An equal look the renderer already knows takes the place of
    // the caller's, so its sprites are found at once next time.
    bool drawLook(const SKRenderContext& context, std::shared_ptr<const SKLook>& look, CGPoint at, SKColor tint,
                  bool additive, bool wholePixel = false);

private:
    // A node to draw, in tree order.
    struct Item {
        const SKNode* node;
        cairo_matrix_t matrix;
        double alpha;
        double depth;
    };
    // What the frame draws, in drawing order: small, as every pass over the frame reads it.
    struct Drawn {
        const SpriteCache::Sprite* sprite; // where the look goes as a sprite, or drawn with cairo
        int x0, y0, x1, y1;                 // the pixels it may touch
        std::uint32_t item;                 // in items_
        std::uint8_t opacity;
    };
    // Where sprites may go (inside cairo's clip, in surface pixels), and what went there.
    struct Band {
        int x0, y0, x1, y1;
        Work work;
    };
    struct Banded {
        SKRenderer* renderer;
        std::size_t from, to;
        Band* band;
        std::vector<Drawn>* order;
    };

    void collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth);
    // Where each item goes in drawing order.
    void orderByDepth();
    // Each item in tree order, where it goes in drawing order.
    void placeItems(bool sprites);
    // Compares what each node shows with what it showed last frame; false when nothing changed.
    bool findDamage(const SKScene& scene, const void* surface, const std::vector<PixelRect>* stale);
    // Cairo's clip to the damage, for the nodes cairo draws.
    void clipToDamage(cairo_t* cr) const;
    // Where sprites go: the surface's own pixels, when it is an image surface.
    bool bindTarget(cairo_t* cr);
    void blit(const Drawn& drawn, Band& band);
    // The sprites of ordered_[from, to), in bands when there is enough of them.
    void drawSprites(std::size_t from, std::size_t to);
    // Those of them inside the band, in tiles when it is large and drawn whole; order is the
    // drawing thread's own list of what each tile draws.
    void drawRun(std::size_t from, std::size_t to, Band& band, bool filled, std::vector<Drawn>& order);
    // Whether it is a sprite whose rows reach into the band.
    [[nodiscard]] static bool reaches(const Drawn& drawn, const Band& band);
    // The sprites of first[0, count) that reach into the band.
    void drawEach(const Drawn* first, std::size_t count, Band& band);
    // The background over a band, straight into the pixels.
    void fill(Band& band);
    // Whether the scene's rect, through this transform, covers every pixel sprites may go to.
    [[nodiscard]] bool covers(const SKScene& scene, const cairo_matrix_t& m) const;
    // The row splitting the sprites' pixels of ordered_[from, to) in two halves; counts them.
    int middleRow(std::size_t from, std::size_t to, std::uint64_t& pixels);
    // The look's sprite for a node with this transform, and the pixel of the node's origin.
    const SpriteCache::Sprite* place(std::shared_ptr<const SKLook>& look, const cairo_matrix_t& m, int& x, int& y);
    // The node's transform onto the surface with its origin where its sprite is to go.
    [[nodiscard]] cairo_matrix_t snapped(const SKNode& node, cairo_matrix_t m) const;
    void composite(const SpriteCache::Sprite& sprite, int x, int y, std::uint32_t tint, bool additive, Band& band,
                   std::uint64_t Work::*kind);

    std::vector<Item> items_;           // in tree order; kept between frames
    std::vector<std::uint32_t> slots_;  // each item's place in ordered_
    std::vector<Drawn> ordered_;        // in drawing order
    std::vector<std::pair<double, std::uint32_t>> depths_; // each depth seen, and how many items have it
    SpriteCache sprites_;
    blend::Pixels target_{}; // the surface's own pixels
    int targetWidth_ = 0, targetHeight_ = 0;
    Band whole_{};            // the whole of where sprites may go
    std::uint32_t background_ = 0;
    bool fillPending_ = false; // the background is still to be filled, by whoever draws first
    HelperThread helper_;
    std::uint64_t bandedFrom_ = bandedByDefault;
    std::uint64_t tilesFrom_ = tilesByDefault;
    std::vector<Drawn> order_[2]; // this thread's and the helper's, for drawRun

    Work work_{};
    Damage damage_;
    bool tracking_ = false; // this frame draws only into damage_
};
