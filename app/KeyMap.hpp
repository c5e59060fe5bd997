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

// The host's own keys: Ctrl+Q quits; F11 and Alt+Enter toggle fullscreen; M turns the sound off
// and on. Each on its press with exactly its modifiers (lock keys aside), by the letter on the
// key, not its place.
enum class HostKey { none, quit, fullscreen, mute };
[[nodiscard]] HostKey hostKey(const SDL_KeyboardEvent& key);

// A key going down or up, to the game if it is one of its own: space holds fire (which repeats
// it; the desktop's own repeats of it would fire twice and are dropped), other keys' repeats
// count as presses.
void deliverKey(const SDL_KeyboardEvent& key, SKView& view, HeldFire& fire, double now);
