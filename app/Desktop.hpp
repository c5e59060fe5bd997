#pragma once

#include "HeldFire.hpp"

struct SDL_Window;

// What the desktop the window is on offers, asked of its display.

// The desktop's key repeat for the window's display: the X server's auto-repeat controls, or
// what the Wayland compositor tells its keyboards. Switched off there (for the space bar, on
// X11), no repeats; the usual defaults where nothing is told.
[[nodiscard]] HeldFire::Repeat desktopKeyRepeat(SDL_Window* window);

// False on an X display no window manager runs on (a bare X server, Xvfb): nobody there acts on
// a request for fullscreen, so the window has to be moved and sized by the game itself.
[[nodiscard]] bool hasWindowManager(SDL_Window* window);
