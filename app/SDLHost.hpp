#pragma once

#include "CGGeometry.hpp"

#include <memory>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;
class SKView;

// The one window: fixed size, no title bar, drawn at the display's pixel density. Feeds the
// view its input and shows the frames it renders.
class SDLHost {
public:
    // Nothing, after one line on stderr, when there is no display to open a window on.
    [[nodiscard]] static std::unique_ptr<SDLHost> open(const char* title, CGSize size);
    ~SDLHost();
    SDLHost(const SDLHost&) = delete;
    SDLHost& operator=(const SDLHost&) = delete;

    [[nodiscard]] CGSize size() const { return size_; }
    // Delivers the waiting events to the view; false once the window has been closed.
    [[nodiscard]] bool deliverEvents(SKView& view);
    // Renders the view's frame into the window and shows it.
    void present(const SKView& view);

private:
    SDLHost() = default;

    CGSize size_;
    double pixelScale_ = 1;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
};
