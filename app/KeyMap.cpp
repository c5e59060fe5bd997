#include "KeyMap.hpp"

#include "SKEvent.hpp"

std::optional<std::uint16_t> virtualKeyCode(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_A: return SKKey::a;
    case SDL_SCANCODE_D: return SKKey::d;
    case SDL_SCANCODE_SPACE: return SKKey::space;
    case SDL_SCANCODE_ESCAPE: return SKKey::escape;
    case SDL_SCANCODE_LEFT: return SKKey::left;
    case SDL_SCANCODE_RIGHT: return SKKey::right;
    default: return std::nullopt;
    }
}
