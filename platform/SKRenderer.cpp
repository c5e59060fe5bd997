#include "SKRenderer.hpp"

#include "SKLook.hpp"
#include "SKScene.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// A node that moves farther than this many surface pixels in a frame has jumped (a star back
// at the top) rather than moved.
constexpr double jump = 64;

// A level from 0 to 1 as a byte.
std::uint8_t toByte(double v) { return std::uint8_t(std::clamp(v, 0.0, 1.0) * 255 + 0.5); }
} // namespace

void SKRenderer::collect(const SKNode& node, const cairo_matrix_t& parent, double alpha, double depth)
{
    for (const auto& child : node.children()) {
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
    clipX0_ = std::max(0, int(std::ceil(x0)));
    clipY0_ = std::max(0, int(std::ceil(y0)));
    clipX1_ = std::min(width, int(std::floor(x1)));
    clipY1_ = std::min(height, int(std::floor(y1)));
    return true;
}

const SpriteCache::Sprite* SKRenderer::place(const std::shared_ptr<const SKLook>& look, const cairo_matrix_t& m,
                                              int& x, int& y)
{
    if (m.xy != 0 || m.yx != 0) return nullptr;
    // The origin on the surface: a whole pixel and a quarter-pixel phase.
    double px = std::floor(m.x0), py = std::floor(m.y0);
    if (!(std::abs(px) < 1e7 && std::abs(py) < 1e7)) return nullptr;
    int phaseX = int((m.x0 - px) * 4 + 0.5), phaseY = int((m.y0 - py) * 4 + 0.5);
    if (phaseX == 4) phaseX = 0, px += 1;
    if (phaseY == 4) phaseY = 0, py += 1;
    const SpriteCache::Sprite* sprite = sprites_.get(look, m.xx, m.yy, phaseX, phaseY);
    if (sprite) x = int(px) + sprite->offsetX, y = int(py) + sprite->offsetY;
    return sprite;
}

void SKRenderer::composite(const SpriteCache::Sprite& sprite, int x, int y, std::uint32_t tint, bool additive)
{
    if (tint == 0) return;
    auto copy = [&](int x0, int y0, int x1, int y1) {
        x0 = std::max(x0, clipX0_), y0 = std::max(y0, clipY0_), x1 = std::min(x1, clipX1_), y1 = std::min(y1, clipY1_);
        if (x0 >= x1 || y0 >= y1) return false;
        const std::uint32_t* from = sprite.pixels + std::ptrdiff_t(y0 - y) * sprite.stride + (x0 - x);
        (additive ? blend::add : blend::over)(from, sprite.stride, target_.at(x0, y0), x1 - x0, y1 - y0, tint);
        return false;
    };
    if (!tracking_) {
        copy(x, y, x + sprite.width, y + sprite.height);
        return;
    }
    // Only into the damage: the pixels outside it already show this frame.
    damage_.forEach(x, y, x + sprite.width, y + sprite.height, copy);
}

void SKRenderer::blit(const Item& item)
{
    composite(*item.sprite, item.x0, item.y0, blend::opacity(toByte(item.alpha)), false);
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
    for (Item& item : ordered_) {
        item.sprite = nullptr;
        const std::shared_ptr<const SKLook>* look = sprites ? item.node->look() : nullptr;
        int x = 0, y = 0;
        if (look && *look && (item.sprite = place(*look, snapped(*item.node, item.matrix), x, y))) {
            // Equal looks become one object, so the next frame finds the sprite without a search.
            if (item.sprite->look != *look) item.node->shareLook(item.sprite->look);
            item.x0 = x, item.y0 = y, item.x1 = x + item.sprite->width, item.y1 = y + item.sprite->height;
            continue;
        }
        // Drawn with cairo: its bounds on the surface, with room for antialiasing and mitres.
        CGRect b = item.node->drawBounds();
        if (b.isEmpty()) {
            item.x0 = item.y0 = item.x1 = item.y1 = 0;
            continue;
        }
        double xs[2] = {b.minX(), b.maxX()}, ys[2] = {b.minY(), b.maxY()};
        double x0 = 1e18, y0 = 1e18, x1 = -1e18, y1 = -1e18;
        for (double bx : xs)
            for (double by : ys) {
                double dx = bx, dy = by;
                cairo_matrix_transform_point(&item.matrix, &dx, &dy);
                x0 = std::min(x0, dx), y0 = std::min(y0, dy), x1 = std::max(x1, dx), y1 = std::max(y1, dy);
            }
        item.x0 = int(std::clamp(std::floor(x0) - 8, -1.0, double(width)));
        item.y0 = int(std::clamp(std::floor(y0) - 8, -1.0, double(height)));
        item.x1 = int(std::clamp(std::ceil(x1) + 8, 0.0, double(width) + 1));
        item.y1 = int(std::clamp(std::ceil(y1) + 8, 0.0, double(height) + 1));
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
    if (sprite->look != look) look = sprite->look;
    double a = std::clamp(tint.alpha, 0.0, 1.0);
    composite(*sprite, x, y,
              std::uint32_t(toByte(a)) << 24 | std::uint32_t(toByte(tint.red * a)) << 16 |
                  std::uint32_t(toByte(tint.green * a)) << 8 | toByte(tint.blue * a),
              additive);
    return true;
}

void SKRenderer::orderByDepth()
{
    // A scene uses a handful of depths: count each, then place every item after all items of
    // smaller depth, keeping tree order within a depth. Linear, and stable by construction.
    depths_.clear();
    for (const Item& item : items_) {
        auto it = std::find_if(depths_.begin(), depths_.end(), [&](const auto& d) { return d.first == item.depth; });
        if (it == depths_.end()) {
            if (depths_.size() == 64) {
                // Depths everywhere: a sort does better than a long list.
                ordered_ = items_;
                std::stable_sort(ordered_.begin(), ordered_.end(),
                                 [](const Item& a, const Item& b) { return a.depth < b.depth; });
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
    ordered_.resize(items_.size());
    for (const Item& item : items_) {
        auto it = std::lower_bound(depths_.begin(), depths_.end(), std::pair{item.depth, 0u},
                                   [](const auto& a, const auto& b) { return a.first < b.first; });
        ordered_[it->second++] = item;
    }
}

bool SKRenderer::findDamage(const SKScene& scene)
{
    // What each node shows this frame: its sprite and where, or its bounds when cairo draws it.
    damage_.clearShown();
    for (const Item& item : ordered_) {
        if (item.x1 <= item.x0 || item.y1 <= item.y0) continue;
        damage_.show({item.node, item.sprite ? item.sprite->serial : 0, item.x0, item.y0, item.x1, item.y1,
                      toByte(item.alpha)});
    }
    return damage_.find(target_.data, targetWidth_, targetHeight_, scene.backgroundColor());
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

void SKRenderer::drawScene(const SKScene& scene, cairo_t* cr, bool surfaceKeepsLastFrame)
{
    cairo_save(cr);
    cairo_matrix_t root;
    cairo_get_matrix(cr, &root);
    sprites_.nextFrame();
    items_.clear();
    collect(scene, root, scene.alpha(), 0);
    orderByDepth();
    bool sprites = bindTarget(cr);
    placeItems(sprites);

    tracking_ = false;
    if (!sprites || !surfaceKeepsLastFrame) {
        // Drawn whole over the surface that keeps frames, it must be drawn whole next time too;
        // a frame drawn elsewhere (a test's fresh surface) leaves that surface's record alone.
        damage_.drawnWhole(sprites ? target_.data : nullptr);
    } else if (!findDamage(scene)) {
        cairo_restore(cr);
        return; // nothing changed: the surface already shows this frame
    } else {
        tracking_ = true;
    }
    // Sprites keep to the damage by themselves; cairo is told only if it draws at all.
    bool cairoClipped = !tracking_;

    cairo_surface_t* surface = cairo_get_target(cr);
    SKColor bg = scene.backgroundColor();
    if (tracking_) {
        // The scene covers the surface: each changed rect is filled straight into the pixels.
        std::uint32_t pixel = 0xff000000u | std::uint32_t(toByte(bg.red)) << 16 | std::uint32_t(toByte(bg.green)) << 8 |
                              toByte(bg.blue);
        cairo_surface_flush(surface);
        for (const PixelRect& d : damage_.rects())
            blend::fill(target_.at(d.x, d.y), d.width, d.height, pixel);
        cairo_surface_mark_dirty(surface);
    } else {
        cairo_set_source_rgba(cr, bg.red, bg.green, bg.blue, bg.alpha);
        cairo_rectangle(cr, 0, 0, scene.size().width, scene.size().height);
        cairo_fill(cr);
    }

    // Sprites write the surface's pixels directly; cairo has to hand them over (flush) before,
    // and be told of them (mark dirty) before it draws again.
    bool cairoDrew = true, spritesDrew = false;
    for (const Item& item : ordered_) {
        if (item.sprite) { // keeps to the damage by itself
            if (cairoDrew) cairo_surface_flush(surface), cairoDrew = false;
            blit(item);
            spritesDrew = true;
            continue;
        }
        if (tracking_ && !damage_.touches(item.x0, item.y0, item.x1, item.y1)) continue;
        if (spritesDrew) cairo_surface_mark_dirty(surface), spritesDrew = false;
        if (!cairoClipped) clipToDamage(cr), cairoClipped = true;
        cairo_set_matrix(cr, &item.matrix);
        SKRenderContext context{cr, item.alpha, sprites ? this : nullptr, &item.matrix};
        item.node->drawContent(context);
        // The node may have copied sprites of its own (particles) as well as drawn.
        if (sprites) cairo_surface_flush(surface), cairo_surface_mark_dirty(surface);
        cairoDrew = true;
    }
    if (spritesDrew) cairo_surface_mark_dirty(surface);
    items_.clear();
    cairo_restore(cr);
}
