#pragma once

#include <SDL_scancode.h>

#include <cstdint>
#include <optional>

// The virtual key code the game knows for a key position; nothing for keys it has no use for,
// so an unknown key can never pass for A (code 0).
[[nodiscard]] std::optional<std::uint16_t> virtualKeyCode(SDL_Scancode scancode);
