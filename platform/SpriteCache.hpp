#pragma once

#include "Blend.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class SKLook;

// The pixels of looks, drawn once and copied after: one sprite per look, device scale (to 1/64)
// and position within a pixel (to a quarter). Past a byte budget the least recently used go, a
// quarter of the budget at a time, so nothing grows without limit whatever changes each frame.
class SpriteCache {
public:
    // What placing and copying a sprite read fits one cache line: a frame copies thousands. A
    // sprite found through its look's row is not written, so a second thread reading it costs the
    // first nothing.
    struct alignas(64) Sprite {
        const std::uint32_t* pixels; // premultiplied a8r8g8b8, row after row
        const blend::Row* rows;      // where each row shows anything
        std::uint64_t serial;        // never the same for two sprites of one cache
        std::uint64_t lastUsed;      // frame number, when not found through its look's row
        int offsetX, offsetY;        // of the sprite's top-left from the node's pixel
        int width, height;
        std::uint32_t shown;         // pixels inside the rows' extents
        bool text;
        std::shared_ptr<const SKLook> look; // the look it was drawn from
        // The rows' extents, then the pixels, in one block: a sprite is read in one sweep.
        struct Free {
            void operator()(std::byte* block) const;
        };
        std::unique_ptr<std::byte[], Free> block;
    };

    explicit SpriteCache(std::size_t budgetBytes = std::size_t(48) << 20);
    ~SpriteCache();
    SpriteCache(const SpriteCache&) = delete;
    SpriteCache& operator=(const SpriteCache&) = delete;

    // The look's sprite at this scale (device pixels per point; negative flips) and quarter-pixel
    // phase, drawn now if it is not kept yet; nothing when it would be too large to keep. An
    // equal look the cache already keeps takes the place of the caller's, so all equal looks
    // become one object, whose sprites are found at once.
    const Sprite* get(std::shared_ptr<const SKLook>& look, double scaleX, double scaleY, int phaseX, int phaseY);

    // Marks the start of a frame, for telling recent sprites from old ones.
    void nextFrame() { ++frame_; }

    [[nodiscard]] std::size_t count() const { return entries_.size(); }
    [[nodiscard]] std::size_t bytes() const { return bytes_; }

private:
    struct Key {
        std::uint64_t hash;
        std::int32_t scaleX, scaleY;
        std::uint8_t phaseX, phaseY;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const
        {
            std::uint64_t h = k.hash ^ (std::uint64_t(std::uint32_t(k.scaleX)) * 0x9E3779B97F4A7C15ull);
            h ^= (std::uint64_t(std::uint32_t(k.scaleY)) << 17) ^ (std::uint64_t(k.phaseX) << 5) ^ k.phaseY;
            h *= 0xff51afd7ed558ccdull;
            return std::size_t(h ^ (h >> 33));
        }
    };
    struct Entry {
        Sprite sprite;
        std::size_t bytes;
    };
    using Table = std::unordered_map<Key, Entry, KeyHash>;
    // One look object stands for all equal looks, so every sprite of a look hangs off one row.
    struct Canon {
        std::shared_ptr<const SKLook> look;
        std::size_t sprites;
    };

    const Sprite* fromRow(const SKLook& look, const Key& key);
    [[nodiscard]] std::uint64_t lastUse(const Sprite& sprite) const;
    bool draw(const SKLook& look, const Key& key, Sprite& sprite);
    void remember(const Key& key, Sprite& sprite);
    void evict(Table::iterator it);
    void evictOldest();

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::uint64_t frame_ = 0;
    std::uint64_t serials_ = 0;
    Table entries_;
    std::unordered_map<std::uint64_t, Canon> looks_; // by hash
};
