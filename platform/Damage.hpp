#pragma once

#include "CGGeometry.hpp"
#include "SKColor.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

// Which pixels of a surface that still holds the last frame must be drawn again. What each node
// shows this frame (its sprite, where, how opaque) is compared with what it showed last frame;
// the square tiles under whatever changed, came or went are marked and merged into rects.
class Damage {
public:
    // What one node shows, in surface pixels. `node` only tells nodes apart.
    struct Shown {
        const void* node;
        std::uint64_t sprite; // its serial; 0 for a node cairo draws, which may change any frame
        int x0, y0, x1, y1;
        std::uint8_t alpha;
    };

    // A new frame: what it shows is added in drawing order.
    void clearShown() { shown_.clear(); }
    void show(const Shown& shown) { shown_.push_back(shown); }
    // Compares this frame with the last one drawn on the same surface; another surface, another
    // size or another background changes everything. Rects the surface holds from before the
    // last frame (a buffer that missed frames) change too. False when nothing changed.
    bool find(const void* surface, int width, int height, SKColor background,
              const std::vector<PixelRect>* stale = nullptr);
    // A frame was drawn whole on a surface (null: one whose pixels are out of reach), not through
    // find: the next frame on the surface kept is drawn whole too.
    void drawnWhole(const void* surface);

    // What is drawn again; what changed since the last frame (the same but for stale rects).
    [[nodiscard]] const std::vector<PixelRect>& rects() const { return rects_; }
    [[nodiscard]] const std::vector<PixelRect>& changed() const { return stale_ ? changed_ : rects_; }
    // Calls visit(x0, y0, x1, y1) with each part of the damage inside a pixel rect, until it
    // returns true; true then.
    template <typename Visit> bool forEach(int x0, int y0, int x1, int y1, Visit visit) const;
    [[nodiscard]] bool touches(int x0, int y0, int x1, int y1) const
    {
        return forEach(x0, y0, x1, y1, [](int, int, int, int) { return true; });
    }

private:
    static constexpr int tileSize = 8;

    // Marks the tiles of what changed since the last frame; false when the drawing order did.
    bool markChanges();
    // The marked tiles as rects, indexed by the rows of tiles they cross.
    void collectRects(int width, int height);
    void mark(int x0, int y0, int x1, int y1);

    std::vector<Shown> shown_, lastShown_;
    std::vector<std::pair<const void*, std::uint32_t>> lastByNode_;
    std::vector<std::uint8_t> lastSeen_;
    std::vector<std::uint8_t> dirtyTiles_;
    std::vector<std::size_t> openRects_, nextOpenRects_;       // rects growing down, by row
    std::vector<std::uint32_t> rowFirst_, rowFill_, rowRects_; // the rects of each tile row
    int tileColumns_ = 0, tileRows_ = 0;
    const void* lastSurface_ = nullptr; // the surface the last frame was found for; none: draw whole
    SKColor lastBackground_;
    std::vector<PixelRect> rects_;
    std::vector<PixelRect> changed_; // when stale rects were added
    bool stale_ = false;
};

template <typename Visit>
bool Damage::forEach(int x0, int y0, int x1, int y1, Visit visit) const
{
    if (x1 <= x0 || y1 <= y0) return false;
    int r0 = std::max(0, y0 / tileSize), r1 = std::min(tileRows_ - 1, (y1 - 1) / tileSize);
    for (int r = r0; r <= r1; ++r)
        for (std::uint32_t i = rowFirst_[r]; i < rowFirst_[r + 1]; ++i) {
            const PixelRect& d = rects_[rowRects_[i]];
            // A rect over several of these rows is met in the first of them only.
            if (r != std::max(r0, d.y / tileSize)) continue;
            int cx0 = std::max(x0, d.x), cy0 = std::max(y0, d.y);
            int cx1 = std::min(x1, d.x + d.width), cy1 = std::min(y1, d.y + d.height);
            if (cx0 < cx1 && cy0 < cy1 && visit(cx0, cy0, cx1, cy1)) return true;
        }
    return false;
}
