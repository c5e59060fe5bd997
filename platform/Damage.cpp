#include "Damage.hpp"

#include <algorithm>
#include <cstring>

void Damage::drawnWhole(const void* surface)
{
    if (!surface || surface == lastSurface_) lastSurface_ = nullptr;
    rects_.clear();
    stale_ = false;
}

void Damage::mark(int x0, int y0, int x1, int y1)
{
    int c0 = std::max(0, x0 / tileSize), c1 = std::min(tileColumns_ - 1, (x1 - 1) / tileSize);
    int r0 = std::max(0, y0 / tileSize), r1 = std::min(tileRows_ - 1, (y1 - 1) / tileSize);
    if (c0 > c1 || r0 > r1) return; // off the surface
    for (int r = r0; r <= r1; ++r)
        std::fill_n(dirtyTiles_.begin() + std::ptrdiff_t(r) * tileColumns_ + c0, c1 - c0 + 1, 1);
}

bool Damage::find(const void* surface, int width, int height, SKColor background, const std::vector<PixelRect>* stale)
{
    int columns = (width + tileSize - 1) / tileSize, rows = (height + tileSize - 1) / tileSize;
    bool whole = surface != lastSurface_ || columns != tileColumns_ || rows != tileRows_ || background != lastBackground_;
    tileColumns_ = columns, tileRows_ = rows, lastSurface_ = surface, lastBackground_ = background;

    dirtyTiles_.assign(std::size_t(columns) * rows, 0);
    if (whole || !markChanges()) std::fill(dirtyTiles_.begin(), dirtyTiles_.end(), 1);
    stale_ = false;
    if (stale && !stale->empty() && !whole) {
        collectRects(width, height);
        changed_ = rects_;
        stale_ = true;
        for (const PixelRect& r : *stale) mark(r.x, r.y, r.x + r.width, r.y + r.height);
    }

    // Remembered for the next frame, indexed by node.
    std::swap(shown_, lastShown_);
    lastByNode_.clear();
    for (std::uint32_t i = 0; i < lastShown_.size(); ++i) lastByNode_.emplace_back(lastShown_[i].node, i);
    std::sort(lastByNode_.begin(), lastByNode_.end());

    collectRects(width, height);
    return !rects_.empty();
}

bool Damage::markChanges()
{
    // A node changed, came or went: where it was and where it is now. Nodes that stayed but
    // swapped places in the drawing order change everything they overlap: false then.
    lastSeen_.assign(lastShown_.size(), 0);
    std::uint32_t previous = 0;
    for (const Shown& now : shown_) {
        auto it = std::lower_bound(lastByNode_.begin(), lastByNode_.end(), std::pair{now.node, 0u});
        if (it == lastByNode_.end() || it->first != now.node) {
            mark(now.x0, now.y0, now.x1, now.y1);
            continue;
        }
        std::uint32_t index = it->second;
        if (index < previous) return false;
        previous = index;
        lastSeen_[index] = 1;
        const Shown& then = lastShown_[index];
        if (now.sprite && now.sprite == then.sprite && now.x0 == then.x0 && now.y0 == then.y0 && now.alpha == then.alpha)
            continue;
        mark(then.x0, then.y0, then.x1, then.y1);
        mark(now.x0, now.y0, now.x1, now.y1);
    }
    for (std::size_t i = 0; i < lastShown_.size(); ++i)
        if (!lastSeen_[i]) mark(lastShown_[i].x0, lastShown_[i].y0, lastShown_[i].x1, lastShown_[i].y1);
    return true;
}

void Damage::collectRects(int width, int height)
{
    // The changed tiles, as runs along each row of tiles; a run right below one of the same
    // span grows it, so fewer, taller rects go to the window.
    rects_.clear();
    openRects_.clear(); // the rects that reach down to this row of tiles, in x order
    for (int r = 0; r < tileRows_; ++r) {
        const std::uint8_t* row = dirtyTiles_.data() + std::size_t(r) * tileColumns_;
        int y = r * tileSize, h = std::min(y + tileSize, height) - y;
        std::size_t open = 0;
        nextOpenRects_.clear();
        for (int c = 0; c < tileColumns_;) {
            auto* dirty = static_cast<const std::uint8_t*>(std::memchr(row + c, 1, std::size_t(tileColumns_ - c)));
            if (!dirty) break;
            int start = int(dirty - row);
            for (c = start; c < tileColumns_ && row[c];) ++c;
            int x = start * tileSize, w = std::min(c * tileSize, width) - x;
            while (open < openRects_.size() && rects_[openRects_[open]].x < x) ++open;
            if (open < openRects_.size() && rects_[openRects_[open]].x == x && rects_[openRects_[open]].width == w) {
                rects_[openRects_[open]].height += h;
                nextOpenRects_.push_back(openRects_[open]);
                continue;
            }
            nextOpenRects_.push_back(rects_.size());
            rects_.push_back({x, y, w, h});
        }
        std::swap(openRects_, nextOpenRects_);
    }

    // Which rects cross each row of tiles, so a sprite meets only the rects of its own rows.
    auto rowsOf = [](const PixelRect& d) { return std::pair{d.y / tileSize, (d.y + d.height - 1) / tileSize}; };
    rowFirst_.assign(std::size_t(tileRows_) + 1, 0);
    for (const PixelRect& d : rects_)
        for (auto [r, last] = rowsOf(d); r <= last; ++r) ++rowFirst_[r + 1];
    for (int r = 0; r < tileRows_; ++r) rowFirst_[r + 1] += rowFirst_[r];
    rowRects_.resize(rowFirst_[tileRows_]);
    rowFill_.assign(rowFirst_.begin(), rowFirst_.end() - 1);
    for (std::uint32_t i = 0; i < rects_.size(); ++i)
        for (auto [r, last] = rowsOf(rects_[i]); r <= last; ++r) rowRects_[rowFill_[r]++] = i;
}
