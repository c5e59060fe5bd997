#pragma once

#include "CGGeometry.hpp"

#include <cairo.h>
#include <cstdint>
#include <cstring>
#include <string_view>

// How a node looks, frozen: everything its pixels depend on besides where it stands. Equal
// looks draw equal pixels, so the renderer draws each look once (per scale and sub-pixel
// position) and copies the pixels after that.
class SKLook {
public:
    virtual ~SKLook() = default;

    [[nodiscard]] std::uint64_t hash() const { return hash_; }
    [[nodiscard]] virtual bool equals(const SKLook& other) const = 0;
    // Everything the look may touch, in the node's coordinates (y up).
    [[nodiscard]] virtual CGRect bounds() const = 0;
    // Draws at full opacity in the node's coordinates; cairo's transform is set up.
    virtual void draw(cairo_t* cr) const = 0;
    // Text, for telling the frame's work apart.
    [[nodiscard]] virtual bool isText() const { return false; }

protected:
    explicit SKLook(std::uint64_t hash) : hash_(hash) {}

private:
    friend class SpriteCache;

    std::uint64_t hash_;
    // The sprite cache's memo: this look's sprites at the scale it was last drawn at, one per
    // quarter-pixel phase, so a steady look is found without a table lookup; and when one of
    // them was last used, which the cache counts as the last use of each.
    struct SpriteRow {
        const void* cache = nullptr; // whose sprites these are
        std::int32_t scaleX = 0, scaleY = 0;
        std::uint64_t lastUsed = 0; // frame number
        void* phases[16] = {};
    };
    mutable SpriteRow spriteRow_;
};

// FNV-1a over the bytes of the values given, for building look hashes.
class LookHasher {
public:
    template <class T>
    LookHasher& add(const T& value)
    {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char b : bytes) hash_ = (hash_ ^ b) * 0x100000001b3ull;
        return *this;
    }
    LookHasher& add(std::string_view text)
    {
        add(text.size());
        for (char c : text) hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        return *this;
    }
    [[nodiscard]] std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};
