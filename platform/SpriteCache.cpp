#include "SpriteCache.hpp"

#include "SKLook.hpp"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstring>
#include <new>

namespace {
constexpr double scaleSteps = 64;   // scales kept to 1/64: a 20-point flame is off by < 0.16 px
constexpr int phaseSteps = 4;       // positions kept to a quarter pixel
constexpr std::size_t maxSpriteBytes = std::size_t(8) << 20;
constexpr int maxSide = 8192;
constexpr std::align_val_t blockAlignment{64};
} // namespace

void SpriteCache::Sprite::Free::operator()(std::byte* block) const { ::operator delete(block, blockAlignment); }

SpriteCache::SpriteCache(std::size_t budgetBytes) : budget_(budgetBytes) { entries_.reserve(1024); }

SpriteCache::~SpriteCache()
{
    // Looks outlive the cache (their nodes hold them): none may keep a way into it.
    for (auto& [key, entry] : entries_) {
        entry.sprite.look->spriteRow_ = {};
    }
}

bool SpriteCache::draw(const SKLook& look, const Key& key, Sprite& sprite)
{
    double sx = key.scaleX / scaleSteps, sy = key.scaleY / scaleSteps;
    double fx = double(key.phaseX) / phaseSteps, fy = double(key.phaseY) / phaseSteps;
    CGRect b = look.bounds();
    double x0 = fx + std::min(sx * b.minX(), sx * b.maxX()), x1 = fx + std::max(sx * b.minX(), sx * b.maxX());
    double y0 = fy + std::min(sy * b.minY(), sy * b.maxY()), y1 = fy + std::max(sy * b.minY(), sy * b.maxY());
    if (!std::isfinite(x0 + x1 + y0 + y1)) return false;
    // A pixel of room on every side for the antialiased edge.
    double left = std::floor(x0) - 1, top = std::floor(y0) - 1;
    double width = std::ceil(x1) + 1 - left, height = std::ceil(y1) + 1 - top;
    if (width < 1 || height < 1 || width > maxSide || height > maxSide || width * height * 4 > maxSpriteBytes) return false;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return false;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_matrix_t m;
    cairo_matrix_init(&m, sx, 0, 0, sy, fx - left, fy - top);
    cairo_set_matrix(cr, &m);
    look.draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    // Keep only the pixels the look touched: bounds allow for the sharpest mitred corner, and
    // every transparent pixel kept would be blended again on every frame.
    int w = int(width), h = int(height), stride = cairo_image_surface_get_stride(surface) / 4;
    const auto* px = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (px[y * stride + x] >> 24) minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = y;
    if (maxX < 0) {
        // Nothing visible (a look too thin to cover any pixel): a 1 x 1 clear sprite.
        minX = minY = maxX = maxY = 0;
    }
    sprite.offsetX = int(left) + minX;
    sprite.offsetY = int(top) + minY;
    sprite.width = maxX - minX + 1;
    sprite.height = maxY - minY + 1;
    std::size_t rowsBytes = (std::size_t(sprite.height) * sizeof(blend::Row) + 63) / 64 * 64;
    std::size_t pixelBytes = std::size_t(sprite.width) * std::size_t(sprite.height) * 4;
    sprite.block.reset(static_cast<std::byte*>(::operator new(rowsBytes + pixelBytes, blockAlignment, std::nothrow)));
    if (!sprite.block) {
        cairo_surface_destroy(surface);
        return false;
    }
    auto* rows = reinterpret_cast<blend::Row*>(sprite.block.get());
    auto* pixels = reinterpret_cast<std::uint32_t*>(sprite.block.get() + rowsBytes);
    sprite.rows = rows, sprite.pixels = pixels;
    sprite.shown = 0;
    sprite.text = look.isText();
    for (int y = 0; y < sprite.height; ++y) {
        std::uint32_t* row = pixels + std::ptrdiff_t(y) * sprite.width;
        std::memcpy(row, px + std::ptrdiff_t(minY + y) * stride + minX, std::size_t(sprite.width) * 4);
        int begin = 0, end = sprite.width;
        while (begin < end && !row[begin]) ++begin;
        while (end > begin && !row[end - 1]) --end;
        rows[y] = {std::uint16_t(begin), std::uint16_t(end)};
        sprite.shown += std::uint32_t(end - begin);
    }
    cairo_surface_destroy(surface);
    return true;
}

void SpriteCache::remember(const Key& key, Sprite& sprite)
{
    SKLook::SpriteRow& row = sprite.look->spriteRow_;
    if (row.cache != this || row.scaleX != key.scaleX || row.scaleY != key.scaleY) {
        // The sprites leaving the row take its last use with them.
        if (row.cache == this)
            for (void* phase : row.phases)
                if (auto* left = static_cast<Sprite*>(phase)) left->lastUsed = std::max(left->lastUsed, row.lastUsed);
        row = {this, key.scaleX, key.scaleY, 0, {}};
    }
    row.phases[key.phaseX * 4 + key.phaseY] = &sprite;
    row.lastUsed = frame_;
}

void SpriteCache::evict(Table::iterator it)
{
    Sprite& sprite = it->second.sprite;
    if (sprite.look->spriteRow_.cache == this)
        for (void*& slot : sprite.look->spriteRow_.phases)
            if (slot == &sprite) slot = nullptr;
    // A look whose last sprite goes is let go too: looks come and go (a score's every value).
    auto canon = looks_.find(sprite.look->hash());
    bytes_ -= it->second.bytes;
    entries_.erase(it);
    if (canon != looks_.end() && --canon->second.sprites == 0) looks_.erase(canon);
}

void SpriteCache::evictOldest()
{
    // Drop the least recently used until a quarter of the budget is free; never this frame's.
    std::vector<std::pair<std::uint64_t, Key>> ages;
    ages.reserve(entries_.size());
    for (auto& [key, entry] : entries_) ages.emplace_back(lastUse(entry.sprite), key);
    std::sort(ages.begin(), ages.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [used, key] : ages) {
        if (bytes_ <= budget_ / 4 * 3 || used == frame_) break;
        evict(entries_.find(key));
    }
}

std::uint64_t SpriteCache::lastUse(const Sprite& sprite) const
{
    const SKLook::SpriteRow& row = sprite.look->spriteRow_;
    bool inRow = row.cache == this && std::find(std::begin(row.phases), std::end(row.phases), &sprite) != std::end(row.phases);
    return inRow ? std::max(sprite.lastUsed, row.lastUsed) : sprite.lastUsed;
}

const SpriteCache::Sprite* SpriteCache::fromRow(const SKLook& look, const Key& key)
{
    SKLook::SpriteRow& row = look.spriteRow_;
    if (row.cache != this || row.scaleX != key.scaleX || row.scaleY != key.scaleY) return nullptr;
    auto* sprite = static_cast<Sprite*>(row.phases[key.phaseX * 4 + key.phaseY]);
    // The row's use, not the sprite's: the sprite's memory stays unread until it is copied.
    if (sprite) row.lastUsed = frame_;
    return sprite;
}

const SpriteCache::Sprite* SpriteCache::get(std::shared_ptr<const SKLook>& look, double scaleX, double scaleY,
                                            int phaseX, int phaseY)
{
    double qx = std::round(scaleX * scaleSteps), qy = std::round(scaleY * scaleSteps);
    if (!(std::abs(qx) < 1e6 && std::abs(qy) < 1e6) || qx == 0 || qy == 0) return nullptr;
    Key key{look->hash(), std::int32_t(qx), std::int32_t(qy), std::uint8_t(phaseX), std::uint8_t(phaseY)};
    if (const Sprite* sprite = fromRow(*look, key)) return sprite;

    auto [canonIt, isNew] = looks_.try_emplace(key.hash, Canon{look, 0});
    Canon& canon = canonIt->second;
    if (canon.look != look && !canon.look->equals(*look)) return nullptr; // two looks, one hash: drawn directly
    look = canon.look;
    if (const Sprite* sprite = fromRow(*look, key)) return sprite;

    auto it = entries_.find(key);
    if (it != entries_.end()) {
        it->second.sprite.lastUsed = frame_;
        remember(key, it->second.sprite);
        return &it->second.sprite;
    }

    Sprite sprite{};
    if (!draw(*canon.look, key, sprite)) {
        if (canon.sprites == 0) looks_.erase(canonIt);
        return nullptr;
    }
    sprite.look = canon.look;
    sprite.serial = ++serials_;
    sprite.lastUsed = frame_;
    ++canon.sprites;
    // The pixels and rows, plus what keeping them costs: the table entry, the look.
    std::size_t size = std::size_t(sprite.width) * std::size_t(sprite.height) * 4 + std::size_t(sprite.height) * 4 + 256;
    Sprite& placed = entries_.emplace(key, Entry{std::move(sprite), size}).first->second.sprite;
    bytes_ += size;
    remember(key, placed);
    if (bytes_ > budget_) evictOldest();
    return &placed;
}
