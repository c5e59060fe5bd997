#include "KeyMap.hpp"

std::optional<std::uint16_t> virtualKeyCode(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_A: return 0;
    case SDL_SCANCODE_D: return 2;
    case SDL_SCANCODE_SPACE: return 49;
    case SDL_SCANCODE_ESCAPE: return 53;
    case SDL_SCANCODE_LEFT: return 123;
    case SDL_SCANCODE_RIGHT: return 124;
    default: return std::nullopt;
    }
}
