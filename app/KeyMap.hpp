#pragma once

#include <SDL_events.h>
#include <SDL_scancode.h>

#include <cstdint>
#include <optional>

class HeldFire;
class SKView;

// The virtual key code the game knows for a key position; nothing for keys it has no use for,
// so an unknown key can never pass for A (code 0).
[[nodiscard]] std::optional<std::uint16_t> virtualKeyCode(SDL_Scancode scancode);

// A key going down or up, to the game if it is one of its own: space holds fire (which repeats
// it; the desktop's own repeats of it would fire twice and are dropped), other keys' repeats
// count as presses.
void deliverKey(const SDL_KeyboardEvent& key, SKView& view, HeldFire& fire, double now);
