// The floor for the game's CPU use: an 800 x 600 window, cleared and shown 60 times a second the
// way the game shows its frames (the window's own pixels, paced by sleeping), and nothing else.
//   floor SECONDS
#include "FramePacer.hpp"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    double seconds = argc > 1 ? std::atof(argv[1]) : 20;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600,
                                          SDL_WINDOW_BORDERLESS);
    if (!window) return 1;
    FramePacer pacer(60);
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool open = true;
    while (open && std::chrono::steady_clock::now() < end) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) open &= event.type != SDL_QUIT;
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        SDL_UpdateWindowSurface(window);
        pacer.waitForNextFrame();
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
