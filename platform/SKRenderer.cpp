#include "SKRenderer.hpp"

#include "SKLook.hpp"
#include "SKScene.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
// A node that moves farther than this many surface pixels in a frame has jumped (a star back
// at the top) rather than moved.
constexpr double jump = 64;

double millisecondsSince(std::chrono::steady_clock::time_point& mark)
{
    auto now = std::chrono::steady_clock::now();
    double ms = std::chrono::duration<double, std::milli>(now - mark).count();
    mark = now;
    return ms;
}

// A level from 0 to 1 as a byte, as cairo makes it for a solid colour.
std::uint8_t cairoByte(double v) { return std::uint8_t(std::uint16_t(std::clamp(v, 0.0, 1.0) * 65535 + 0.5) >> 8); }

// The pixel cairo fills with a colour, made opaque.
std::uint32_t opaquePixel(SKColor c)
{
    return 0xff000000u | std::uint32_t(cairoByte(c.red)) << 16 | std::uint32_t(cairoByte(c.green)) << 8 |
           cairoByte(c.blue);
}

// A level from 0 to 1 as a byte.
std::uint8_t toByte(double v) { return std::uint8_t(std::clamp(v, 0.0, 1.0) * 255 + 0.5); }
} // namespace

void SKRenderer::collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth)
{
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i) {
        // Nodes are rarely in cache: ask for what this reads of them early.
        if (i + 8 < children.size()) children[i + 8]->prefetchForWalk();
        const auto& child = children[i];
        // A zero scale collapses the subtree (and would break cairo's matrix).
        if (child->isHidden() || child->xScale() == 0 || child->yScale() == 0) continue;
        double childAlpha = alpha * child->alpha();
        if (childAlpha <= 0) continue;
        cairo_matrix_t local;
        cairo_matrix_init(&local, child->xScale(), 0, 0, child->yScale(), child->position().x, child->position().y);
        cairo_matrix_t matrix;
        cairo_matrix_multiply(&matrix, &local, &parent);
        double childDepth = depth + child->zPosition();
        items_.push_back({child.get(), matrix, childAlpha, childDepth});
        collect(*child, matrix, childAlpha, childDepth);
    }
}

bool SKRenderer::covers(const SKScene& scene, const cairo_matrix_t& m) const
{
    if (m.xy != 0 || m.yx != 0) return false;
    double xs[2] = {m.x0, m.x0 + m.xx * scene.size().width}, ys[2] = {m.y0, m.y0 + m.yy * scene.size().height};
    return std::min(xs[0], xs[1]) <= whole_.x0 && std::max(xs[0], xs[1]) >= whole_.x1 &&
           std::min(ys[0], ys[1]) <= whole_.y0 && std::max(ys[0], ys[1]) >= whole_.y1;
}

bool SKRenderer::bindTarget(cairo_t* cr)
{
    target_ = {}, targetWidth_ = targetHeight_ = 0;
    cairo_surface_t* surface = cairo_get_target(cr);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return false;
    unsigned char* data = cairo_image_surface_get_data(surface);
    if (!data) return false;
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    target_ = {reinterpret_cast<std::uint32_t*>(data), cairo_image_surface_get_stride(surface) / 4};
    targetWidth_ = width, targetHeight_ = height;
    // Sprites stay inside cairo's clip, as drawing does.
    double x0, y0, x1, y1;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    cairo_restore(cr);
    whole_ = {std::max(0, int(std::ceil(x0))), std::max(0, int(std::ceil(y0))), std::min(width, int(std::floor(x1))),
              std::min(height, int(std::floor(y1))), {}};
    return true;
}

const SpriteCache::Sprite* SKRenderer::place(std::shared_ptr<const SKLook>& look, const cairo_matrix_t& m, int& x,
                                              int& y)
{
    if (m.xy != 0 || m.yx != 0) return nullptr;
    // The origin on the surface: a whole pixel and a quarter-pixel phase.
    double px = std::floor(m.x0), py = std::floor(m.y0);
    if (!(std::abs(px) < 1e7 && std::abs(py) < 1e7)) return nullptr;
    int phaseX = int((m.x0 - px) * 4 + 0.5), phaseY = int((m.y0 - py) * 4 + 0.5);
    if (phaseX == 4) phaseX = 0, px += 1;
    if (phaseY == 4) phaseY = 0, py += 1;
    x = int(px), y = int(py);
    return sprites_.get(look, m.xx, m.yy, phaseX, phaseY);
}

void SKRenderer::composite(const SpriteCache::Sprite& sprite, int x, int y, std::uint32_t tint, bool additive,
                           Band& band, std::uint64_t Work::*kind)
{
    if (tint == 0) return;
    auto copy = [&](int x0, int y0, int x1, int y1) {
        x0 = std::max(x0, band.x0), y0 = std::max(y0, band.y0), x1 = std::min(x1, band.x1), y1 = std::min(y1, band.y1);
        if (x0 >= x1 || y0 >= y1) return false;
        const blend::Row* rows = sprite.rows + (y0 - y);
        blend::Source from{sprite.pixels + std::ptrdiff_t(y0 - y) * sprite.width + (x0 - x), sprite.width, rows, x0 - x};
        (additive ? blend::add : blend::over)(from, target_.at(x0, y0), x1 - x0, y1 - y0, tint);
        std::uint64_t& counted = band.work.*kind;
        if (x1 - x0 == sprite.width && y1 - y0 == sprite.height) {
            counted += sprite.shown;
        } else {
            for (int r = 0; r < y1 - y0; ++r)
                counted += std::uint64_t(std::max(0, std::min<int>(rows[r].end, x1 - x) - std::max<int>(rows[r].begin, x0 - x)));
        }
        return false;
    };
    if (!tracking_) {
        copy(x, y, x + sprite.width, y + sprite.height);
        return;
    }
    // Only into the damage: the pixels outside it already show this frame.
    damage_.forEach(x, y, x + sprite.width, y + sprite.height, copy);
}

void SKRenderer::blit(const Drawn& drawn, Band& band)
{
    std::uint32_t tint = blend::opacity(drawn.opacity);
    composite(*drawn.sprite, drawn.x0, drawn.y0, tint, false, band,
              drawn.sprite->text ? &Work::textPixels : tint == blend::untinted ? &Work::solidPixels : &Work::fadedPixels);
}

void SKRenderer::fill(Band& band)
{
    if (band.x0 >= band.x1 || band.y0 >= band.y1) return;
    auto mark = std::chrono::steady_clock::now();
    blend::fill(target_.at(band.x0, band.y0), band.x1 - band.x0, band.y1 - band.y0, background_);
    band.work.filledBytes += std::uint64_t(band.x1 - band.x0) * std::uint64_t(band.y1 - band.y0) * 4;
    band.work.fillMs += millisecondsSince(mark);
}

bool SKRenderer::reaches(const Drawn& drawn, const Band& band)
{
    return drawn.sprite && drawn.y1 > band.y0 && drawn.y0 < band.y1;
}

void SKRenderer::drawEach(const Drawn* first, std::size_t count, Band& band)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Drawn& drawn = first[i];
        if (!reaches(drawn, band)) continue;
        // Sprites are many and small, and their pixels rarely in cache: ask for them early, the
        // whole of a small one (its rows and pixels lie in one block).
        if (i + 8 < count && first[i + 8].sprite) __builtin_prefetch(first[i + 8].sprite);
        if (i + 4 < count && first[i + 4].sprite) {
            const SpriteCache::Sprite& next = *first[i + 4].sprite;
            const char* from = reinterpret_cast<const char*>(next.rows);
            const char* end = reinterpret_cast<const char*>(next.pixels + std::ptrdiff_t(next.width) * next.height);
            prefetchRange(from, std::min(end, from + 24 * 64)); // a large one's first rows
        }
        blit(drawn, band);
    }
}

void SKRenderer::drawRun(std::size_t from, std::size_t to, Band& band, bool filled, std::vector<Drawn>& order)
{
    if (band.x0 >= band.x1 || band.y0 >= band.y1) return;
    const int width = band.x1 - band.x0, height = band.y1 - band.y0;
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * 4;
    if (tracking_ || bytes <= tilesFrom_) {
        band.work.tiles += 1;
        if (filled) fill(band);
        drawEach(ordered_.data() + from, to - from, band);
        return;
    }

    // Tiles about as wide as they are high, so few sprites are cut at their edges.
    constexpr int maxTiles = 256;
    const int side = std::max(16, int(std::sqrt(double(tileBytes / 4))));
    const int columns = std::clamp((width + side / 2) / side, 1, 16);
    const int tileWidth = (width + columns - 1) / columns;
    const int rowsEach = int(std::max<std::uint64_t>(1, tileBytes / 4 / std::uint64_t(tileWidth)));
    const int tileRows = std::clamp((height + rowsEach - 1) / rowsEach, 1, std::min(height, maxTiles / columns));
    const int tileHeight = (height + tileRows - 1) / tileRows;
    const int tiles = columns * tileRows;
    band.work.tiles += std::uint32_t(tiles);

    // The sprites by tile, in drawing order within each: counted, then copied, so each tile reads
    // its own in one sweep.
    std::uint32_t start[maxTiles + 1] = {};
    auto forEachTile = [&](const Drawn& d, auto visit) {
        if (!reaches(d, band)) return;
        int x0 = std::max(d.x0, band.x0), x1 = std::min(d.x1, band.x1);
        if (x0 >= x1) return;
        int c0 = (x0 - band.x0) / tileWidth, c1 = (x1 - 1 - band.x0) / tileWidth;
        int r0 = (std::max(d.y0, band.y0) - band.y0) / tileHeight, r1 = (std::min(d.y1, band.y1) - 1 - band.y0) / tileHeight;
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) visit(r * columns + c);
    };
    for (std::size_t k = from; k < to; ++k) forEachTile(ordered_[k], [&](int t) { ++start[t + 1]; });
    for (int t = 1; t <= tiles; ++t) start[t] += start[t - 1];
    order.resize(start[tiles]);
    std::uint32_t at[maxTiles];
    std::copy(start, start + tiles, at);
    for (std::size_t k = from; k < to; ++k) forEachTile(ordered_[k], [&](int t) { order[at[t]++] = ordered_[k]; });

    for (int t = 0; t < tiles; ++t) {
        int r = t / columns, c = t % columns;
        Band tile{band.x0 + c * tileWidth, band.y0 + r * tileHeight, std::min(band.x1, band.x0 + (c + 1) * tileWidth),
                  std::min(band.y1, band.y0 + (r + 1) * tileHeight), {}};
        if (tile.x0 >= tile.x1 || tile.y0 >= tile.y1) continue;
        if (filled) fill(tile);
        drawEach(order.data() + start[t], start[t + 1] - start[t], tile);
        band.work.addCounts(tile.work);
    }
}

int SKRenderer::middleRow(std::size_t from, std::size_t to, std::uint64_t& pixels)
{
    // An upper bound first: most frames are far too small to share.
    pixels = 0;
    for (std::size_t k = from; k < to; ++k) {
        const Drawn& item = ordered_[k];
        if (item.sprite) ++whole_.work.sprites, pixels += std::uint64_t(item.x1 - item.x0) * std::uint64_t(item.y1 - item.y0);
    }
    if (pixels < bandedFrom_) return whole_.y1;
    // The sprites' areas by the stripe their middle falls in; the split goes where half is above.
    constexpr int stripes = 64;
    std::uint64_t area[stripes] = {};
    const int top = whole_.y0, height = std::max(1, whole_.y1 - whole_.y0);
    pixels = 0;
    for (std::size_t k = from; k < to; ++k) {
        const Drawn& item = ordered_[k];
        if (!item.sprite) continue;
        std::uint64_t a = 0;
        if (!tracking_) a = std::uint64_t(item.x1 - item.x0) * std::uint64_t(item.y1 - item.y0);
        else
            damage_.forEach(item.x0, item.y0, item.x1, item.y1, [&](int x0, int y0, int x1, int y1) {
                a += std::uint64_t(x1 - x0) * std::uint64_t(y1 - y0);
                return false;
            });
        int stripe = std::clamp(((item.y0 + item.y1) / 2 - top) * stripes / height, 0, stripes - 1);
        area[stripe] += a, pixels += a;
    }
    std::uint64_t above = 0;
    for (int stripe = 0; stripe < stripes; ++stripe) {
        above += area[stripe];
        if (above * 2 >= pixels) return top + (stripe + 1) * height / stripes;
    }
    return whole_.y1;
}

void SKRenderer::drawSprites(std::size_t from, std::size_t to)
{
    std::uint64_t pixels = 0;
    int middle = middleRow(from, to, pixels);
    Band upper{whole_.x0, whole_.y0, whole_.x1, middle, {}}, lower{whole_.x0, middle, whole_.x1, whole_.y1, {}};
    Banded helped{this, from, to, &lower, &order_[1]};
    auto drawLower = [](void* context) {
        auto* b = static_cast<Banded*>(context);
        b->renderer->drawRun(b->from, b->to, *b->band, b->renderer->fillPending_, *b->order);
    };
    if (pixels < bandedFrom_ || middle <= whole_.y0 || middle >= whole_.y1 || !helper_.start(drawLower, &helped)) {
        drawRun(from, to, whole_, fillPending_, order_[0]);
        fillPending_ = false;
        return;
    }
    drawRun(from, to, upper, fillPending_, order_[0]);
    helper_.finish();
    fillPending_ = false;
    work_.bands = 2;
    whole_.work.addCounts(upper.work);
    whole_.work.addCounts(lower.work);
}

cairo_matrix_t SKRenderer::snapped(const SKNode& node, cairo_matrix_t m) const
{
    // Along an axis where the node stood still since this renderer last drew it, it stays on
    // the very same pixels (a pause shifts nothing); where it moved, it goes to the nearest
    // quarter pixel, so slow motion stays smooth; seen for the first time or after a jump, it
    // goes to whole pixels. So where the game puts a thing within a pixel costs no sprites.
    SKNode::Placed& last = node.placed_;
    double x = m.x0, y = m.y0;
    if (last.by != this || std::abs(x - last.x) > jump || std::abs(y - last.y) > jump) {
        m.x0 = std::round(x), m.y0 = std::round(y);
    } else {
        if (x == last.x) m.x0 = last.placedX;
        if (y == last.y) m.y0 = last.placedY;
    }
    last = {this, x, y, m.x0, m.y0};
    return m;
}

void SKRenderer::placeItems(bool sprites)
{
    int width = targetWidth_, height = targetHeight_;
    ordered_.resize(items_.size());
    const auto count = std::uint32_t(items_.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        // A node, then its look, is rarely in cache: ask for them early.
        if (i + 16 < count) items_[i + 16].node->prefetchForPlacing();
        if (i + 8 < count)
            if (const SKLook* look = items_[i + 8].node->look_.get()) prefetchRange(look, look + 1);
        const Item& item = items_[i];
        Drawn& drawn = ordered_[slots_[i]];
        drawn = {nullptr, 0, 0, 0, 0, i, toByte(item.alpha)};
        int x = 0, y = 0;
        // The node's own look, which an equal one the cache keeps may replace.
        if (sprites && item.node->look() && (drawn.sprite = place(item.node->look_, snapped(*item.node, item.matrix), x, y))) {
            drawn.x0 = x, drawn.y0 = y; // the sprite's offset and size follow
            continue;
        }
        // Drawn with cairo: its bounds on the surface, with room for antialiasing and mitres.
        CGRect b = item.node->drawBounds();
        if (b.isEmpty()) continue;
        double xs[2] = {b.minX(), b.maxX()}, ys[2] = {b.minY(), b.maxY()};
        double x0 = 1e18, y0 = 1e18, x1 = -1e18, y1 = -1e18;
        for (double bx : xs)
            for (double by : ys) {
                double dx = bx, dy = by;
                cairo_matrix_transform_point(&item.matrix, &dx, &dy);
                x0 = std::min(x0, dx), y0 = std::min(y0, dy), x1 = std::max(x1, dx), y1 = std::max(y1, dy);
            }
        drawn.x0 = int(std::clamp(std::floor(x0) - 8, -1.0, double(width)));
        drawn.y0 = int(std::clamp(std::floor(y0) - 8, -1.0, double(height)));
        drawn.x1 = int(std::clamp(std::ceil(x1) + 8, 0.0, double(width) + 1));
        drawn.y1 = int(std::clamp(std::ceil(y1) + 8, 0.0, double(height) + 1));
    }
    // The sprites' offsets and sizes in a pass of their own: their memory is rarely in cache, and
    // a short loop has many of them on the way at once.
    for (std::size_t k = 0; k < ordered_.size(); ++k) {
        if (k + 16 < ordered_.size() && ordered_[k + 16].sprite) __builtin_prefetch(ordered_[k + 16].sprite);
        Drawn& drawn = ordered_[k];
        if (const SpriteCache::Sprite* sprite = drawn.sprite) {
            drawn.x0 += sprite->offsetX, drawn.y0 += sprite->offsetY;
            drawn.x1 = drawn.x0 + sprite->width, drawn.y1 = drawn.y0 + sprite->height;
        }
    }
}

bool SKRenderer::drawLook(const SKRenderContext& context, std::shared_ptr<const SKLook>& look, CGPoint at,
                          SKColor tint, bool additive, bool wholePixel)
{
    if (!context.matrix) return false;
    cairo_matrix_t m = *context.matrix;
    cairo_matrix_translate(&m, at.x, at.y);
    if (wholePixel) m.x0 = std::round(m.x0), m.y0 = std::round(m.y0);
    int x = 0, y = 0;
    const SpriteCache::Sprite* sprite = place(look, m, x, y);
    if (!sprite) return false;
    x += sprite->offsetX, y += sprite->offsetY;
    ++whole_.work.sprites;
    double a = std::clamp(tint.alpha, 0.0, 1.0);
    composite(*sprite, x, y,
              std::uint32_t(toByte(a)) << 24 | std::uint32_t(toByte(tint.red * a)) << 16 |
                  std::uint32_t(toByte(tint.green * a)) << 8 | toByte(tint.blue * a),
              additive, whole_, &Work::particlePixels);
    return true;
}

void SKRenderer::orderByDepth()
{
    // A scene uses a handful of depths: count each, then place every item after all items of
    // smaller depth, keeping tree order within a depth. Linear, and stable by construction.
    slots_.resize(items_.size());
    depths_.clear();
    for (const Item& item : items_) {
        auto it = std::find_if(depths_.begin(), depths_.end(), [&](const auto& d) { return d.first == item.depth; });
        if (it == depths_.end()) {
            if (depths_.size() == 64) {
                // Depths everywhere: a sort does better than a long list.
                std::vector<std::uint32_t> order(items_.size());
                for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
                std::stable_sort(order.begin(), order.end(),
                                 [&](std::uint32_t a, std::uint32_t b) { return items_[a].depth < items_[b].depth; });
                for (std::uint32_t k = 0; k < order.size(); ++k) slots_[order[k]] = k;
                return;
            }
            depths_.emplace_back(item.depth, 1);
        } else {
            ++it->second;
        }
    }
    std::sort(depths_.begin(), depths_.end());
    std::uint32_t start = 0;
    for (auto& [depth, count] : depths_) std::swap(start, count), start += count;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        auto it = std::lower_bound(depths_.begin(), depths_.end(), std::pair{items_[i].depth, 0u},
                                   [](const auto& a, const auto& b) { return a.first < b.first; });
        slots_[i] = it->second++;
    }
}

bool SKRenderer::findDamage(const SKScene& scene, const void* surface, const std::vector<PixelRect>* stale)
{
    // What each node shows this frame: its sprite and where, or its bounds when cairo draws it.
    damage_.clearShown();
    for (const Drawn& d : ordered_) {
        if (d.x1 <= d.x0 || d.y1 <= d.y0) continue;
        damage_.show({items_[d.item].node, d.sprite ? d.sprite->serial : 0, d.x0, d.y0, d.x1, d.y1, d.opacity});
    }
    return damage_.find(surface, targetWidth_, targetHeight_, scene.backgroundColor(), stale);
}

void SKRenderer::clipToDamage(cairo_t* cr) const
{
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_new_path(cr);
    for (const PixelRect& d : damage_.rects()) cairo_rectangle(cr, d.x, d.y, d.width, d.height);
    cairo_restore(cr);
    cairo_clip(cr);
}

void SKRenderer::drawScene(const SKScene& scene, cairo_t* cr, bool surfaceKeepsLastFrame, const void* keptAs,
                           const std::vector<PixelRect>* stale)
{
    auto mark = std::chrono::steady_clock::now();
    cairo_save(cr);
    cairo_matrix_t root;
    cairo_get_matrix(cr, &root);
    sprites_.nextFrame();
    work_ = {};
    work_.bands = 1;
    whole_.work = {};
    fillPending_ = false;
    items_.clear();
    collect(scene, root, scene.alpha(), 0);
    orderByDepth();
    bool sprites = bindTarget(cr);
    placeItems(sprites);

    tracking_ = false;
    if (!sprites || !surfaceKeepsLastFrame) {
        // Drawn whole over the surface that keeps frames, it must be drawn whole next time too;
        // a frame drawn elsewhere (a test's fresh surface) leaves that surface's record alone.
        damage_.drawnWhole(sprites ? (keptAs ? keptAs : target_.data) : nullptr);
    } else if (!findDamage(scene, keptAs ? keptAs : target_.data, stale)) {
        cairo_restore(cr);
        work_.placeMs = millisecondsSince(mark);
        return; // nothing changed: the surface already shows this frame
    } else {
        tracking_ = true;
    }
    work_.placeMs = millisecondsSince(mark);
    // Sprites keep to the damage by themselves; cairo is told only if it draws at all.
    bool cairoClipped = !tracking_;

    cairo_surface_t* surface = cairo_get_target(cr);
    SKColor bg = scene.backgroundColor();
    if (tracking_) {
        // The scene covers the surface: each changed rect is filled straight into the pixels.
        std::uint32_t pixel = opaquePixel(bg);
        cairo_surface_flush(surface);
        for (const PixelRect& d : damage_.rects()) {
            blend::fill(target_.at(d.x, d.y), d.width, d.height, pixel);
            work_.filledBytes += std::uint64_t(d.width) * std::uint64_t(d.height) * 4;
        }
        cairo_surface_mark_dirty(surface);
    } else if (sprites && bg.alpha >= 1 && covers(scene, root)) {
        // Filled by whoever draws the sprites there: in bands, each thread fills its own.
        background_ = opaquePixel(bg);
        fillPending_ = true;
    } else {
        cairo_set_source_rgba(cr, bg.red, bg.green, bg.blue, bg.alpha);
        cairo_rectangle(cr, 0, 0, scene.size().width, scene.size().height);
        cairo_fill(cr);
    }

    work_.fillMs = millisecondsSince(mark);

    // Sprites write the surface's pixels directly; cairo has to hand them over (flush) before,
    // and be told of them (mark dirty) before it draws again.
    bool cairoDrew = true, spritesDrew = false;
    std::size_t waiting = 0; // the first item whose sprite is not drawn yet
    auto drawWaiting = [&](std::size_t upTo) {
        if (waiting < upTo) {
            if (cairoDrew) cairo_surface_flush(surface), cairoDrew = false;
            drawSprites(waiting, upTo); // keep to the damage by themselves
            spritesDrew = true;
        }
        // No sprites before this point: the background still to be filled is filled now.
        if (fillPending_) {
            if (cairoDrew) cairo_surface_flush(surface), cairoDrew = false;
            fill(whole_);
            fillPending_ = false, spritesDrew = true;
        }
    };
    for (std::size_t k = 0; k < ordered_.size(); ++k) {
        const Drawn& drawn = ordered_[k];
        if (drawn.sprite || (tracking_ && !damage_.touches(drawn.x0, drawn.y0, drawn.x1, drawn.y1))) continue;
        const Item& item = items_[drawn.item];
        drawWaiting(k);
        waiting = k + 1;
        if (spritesDrew) cairo_surface_mark_dirty(surface), spritesDrew = false;
        if (!cairoClipped) clipToDamage(cr), cairoClipped = true;
        cairo_set_matrix(cr, &item.matrix);
        ++work_.drawnByCairo;
        SKRenderContext context{cr, item.alpha, sprites ? this : nullptr, &item.matrix};
        item.node->drawContent(context);
        // The node may have copied sprites of its own (particles) as well as drawn.
        if (sprites) cairo_surface_flush(surface), cairo_surface_mark_dirty(surface);
        cairoDrew = true;
    }
    drawWaiting(ordered_.size());
    if (spritesDrew) cairo_surface_mark_dirty(surface);
    work_.addCounts(whole_.work);
    cairo_restore(cr);
    work_.drawMs = millisecondsSince(mark);
}
