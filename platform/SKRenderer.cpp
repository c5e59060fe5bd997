#include "SKRenderer.hpp"

#include "SKLook.hpp"
#include "SKScene.hpp"

#include <algorithm>
#include <cmath>

SKRenderer::SKRenderer()
{
    opacity_ = pixman_image_create_bits(PIXMAN_a8, 1, 1, &opacityBits_, 4);
    pixman_image_set_repeat(opacity_, PIXMAN_REPEAT_NORMAL);
}

SKRenderer::~SKRenderer()
{
    if (target_) pixman_image_unref(target_);
    pixman_image_unref(opacity_);
}

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
        items_.push_back({child.get(), matrix, childAlpha, childDepth, static_cast<std::uint32_t>(items_.size())});
        collect(*child, matrix, childAlpha, childDepth);
    }
}

bool SKRenderer::bindTarget(cairo_t* cr)
{
    cairo_surface_t* surface = cairo_get_target(cr);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return false;
    unsigned char* data = cairo_image_surface_get_data(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    pixman_format_code_t code = format == CAIRO_FORMAT_ARGB32 ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8;
    // The same pixels as last frame keep the same wrapper: no allocation in a steady frame.
    if (!target_ || data != targetData_ || pixman_image_get_width(target_) != width ||
        pixman_image_get_height(target_) != height || pixman_image_get_stride(target_) != stride ||
        pixman_image_get_format(target_) != code) {
        if (target_) pixman_image_unref(target_);
        target_ = pixman_image_create_bits(code, width, height, reinterpret_cast<uint32_t*>(data), stride);
        targetData_ = data;
        if (!target_) return false;
    }
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
    pixman_region32_t clip;
    pixman_region32_init_rect(&clip, clipX0_, clipY0_, unsigned(std::max(0, clipX1_ - clipX0_)),
                              unsigned(std::max(0, clipY1_ - clipY0_)));
    pixman_image_set_clip_region32(target_, &clip);
    pixman_region32_fini(&clip);
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

void SKRenderer::composite(const SpriteCache::Sprite& sprite, int x, int y, double alpha, bool additive)
{
    if (x >= clipX1_ || y >= clipY1_ || x + sprite.width <= clipX0_ || y + sprite.height <= clipY0_) return;
    auto opacity = std::uint8_t(std::clamp(alpha, 0.0, 1.0) * 255 + 0.5);
    if (opacity == 0) return;
    reinterpret_cast<std::uint8_t*>(&opacityBits_)[0] = opacity;
    pixman_image_composite32(additive ? PIXMAN_OP_ADD : PIXMAN_OP_OVER, sprite.image, opacity == 255 ? nullptr : opacity_,
                             target_, 0, 0, 0, 0, x, y, sprite.width, sprite.height);
}

bool SKRenderer::blit(const Item& item)
{
    const std::shared_ptr<const SKLook>* look = item.node->look();
    if (!look || !*look) return false;
    int x = 0, y = 0;
    const SpriteCache::Sprite* sprite = place(*look, item.matrix, x, y);
    if (!sprite) return false;
    // Equal looks become one object, so the next frame finds the sprite without a search.
    if (sprite->look != *look) item.node->shareLook(sprite->look);
    composite(*sprite, x, y, item.alpha, false);
    return true;
}

bool SKRenderer::drawLook(const SKRenderContext& context, const std::shared_ptr<const SKLook>& look, CGPoint at,
                          double alpha, bool additive)
{
    if (!context.matrix) return false;
    cairo_matrix_t m = *context.matrix;
    cairo_matrix_translate(&m, at.x, at.y);
    int x = 0, y = 0;
    const SpriteCache::Sprite* sprite = place(look, m, x, y);
    if (!sprite) return false;
    composite(*sprite, x, y, alpha, additive);
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

void SKRenderer::drawScene(const SKScene& scene, cairo_t* cr)
{
    cairo_save(cr);
    SKColor bg = scene.backgroundColor();
    cairo_set_source_rgba(cr, bg.red, bg.green, bg.blue, bg.alpha);
    cairo_rectangle(cr, 0, 0, scene.size().width, scene.size().height);
    cairo_fill(cr);

    cairo_matrix_t root;
    cairo_get_matrix(cr, &root);
    sprites_.nextFrame();
    items_.clear();
    collect(scene, root, scene.alpha(), 0);
    orderByDepth();

    // Sprites write the surface's pixels directly; cairo has to hand them over (flush) before,
    // and be told of them (mark dirty) before it draws again.
    cairo_surface_t* surface = cairo_get_target(cr);
    bool sprites = bindTarget(cr);
    bool cairoDrew = true, spritesDrew = false;
    for (const Item& item : ordered_) {
        if (sprites) {
            if (cairoDrew) cairo_surface_flush(surface), cairoDrew = false;
            if (blit(item)) {
                spritesDrew = true;
                continue;
            }
        }
        if (spritesDrew) cairo_surface_mark_dirty(surface), spritesDrew = false;
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
