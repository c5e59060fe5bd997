#pragma once

#include "CGGeometry.hpp"

#include <cstdint>

class SKNode;

// The virtual key codes the game knows: positions on the keyboard, whatever the layout or the
// modifiers held.
struct SKKey {
    static constexpr std::uint16_t a = 0;
    static constexpr std::uint16_t d = 2;
    static constexpr std::uint16_t space = 49;
    static constexpr std::uint16_t escape = 53;
    static constexpr std::uint16_t left = 123;
    static constexpr std::uint16_t right = 124;
};

// A key or mouse event as the scene receives it.
class SKEvent {
public:
    [[nodiscard]] static SKEvent key(std::uint16_t keyCode) { return SKEvent(keyCode, {}); }
    // The location is in the coordinates of the scene that receives the event.
    [[nodiscard]] static SKEvent mouse(CGPoint locationInScene) { return SKEvent(0, locationInScene); }

    // Virtual key code of the key's position, independent of layout and modifiers.
    [[nodiscard]] std::uint16_t keyCode() const { return keyCode_; }
    [[nodiscard]] CGPoint locationInNode(const SKNode& node) const;

private:
    SKEvent(std::uint16_t keyCode, CGPoint location) : keyCode_(keyCode), location_(location) {}

    std::uint16_t keyCode_;
    CGPoint location_;
};
