#include "KeyMap.hpp"

#include "HeldFire.hpp"
#include "SKEvent.hpp"
#include "SKView.hpp"

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

HostKey hostKey(const SDL_KeyboardEvent& key)
{
    if (key.type != SDL_KEYDOWN) return HostKey::none;
    int held = key.keysym.mod & ~(KMOD_CAPS | KMOD_NUM | KMOD_SCROLL);
    auto only = [held](int wanted) { return held != 0 && (held & ~wanted) == 0; };
    SDL_Keycode sym = key.keysym.sym;
    if (sym == SDLK_q && only(KMOD_CTRL)) return HostKey::quit;
    if (key.repeat) return HostKey::none;
    bool enter = sym == SDLK_RETURN || sym == SDLK_KP_ENTER;
    if ((sym == SDLK_F11 && held == 0) || (enter && only(KMOD_ALT))) return HostKey::fullscreen;
    if (sym == SDLK_m && held == 0) return HostKey::mute;
    return HostKey::none;
}

void deliverKey(const SDL_KeyboardEvent& key, SKView& view, HeldFire& fire, double now)
{
    auto code = virtualKeyCode(key.keysym.scancode);
    if (!code) return;
    bool down = key.type == SDL_KEYDOWN;
    if (*code == SKKey::space) {
        if (!down) fire.release(HeldFire::keyboard, view);
        else if (!key.repeat) fire.press(HeldFire::keyboard, view, now);
        return;
    }
    if (down) view.keyDown(*code);
    else view.keyUp(*code);
}
