#pragma once

#include "HeldFire.hpp"

struct SDL_Window;

// The desktop's key repeat for the window's display: the X server's auto-repeat controls, or
// what the Wayland compositor tells its keyboards. Switched off there (for the space bar, on
// X11), no repeats; the usual defaults where nothing is told.
[[nodiscard]] HeldFire::Repeat desktopKeyRepeat(SDL_Window* window);
