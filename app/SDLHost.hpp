#pragma once

#include "CGGeometry.hpp"
#include "Gamepad.hpp"

#include <SDL_rect.h>
#include <cairo.h>

#include <memory>
#include <span>
#include <string_view>
#include <vector>

struct SDL_Surface;
struct SDL_Window;
class SKView;

// The one window: fixed size, no title bar, drawn at the display's pixel density. Feeds the
// view its input and shows the frames it renders. The frames are drawn on the CPU by cairo, so
// they go straight into the window's own pixels: no GPU texture, no software GL in between.
// Game controllers, plugged in at any time, play through the keys and clicks the game knows.
class SDLHost {
public:
    // Nothing, after one line on stderr, when there is no display to open a window on.
    // panelButtons: the nodes a gamepad's south button clicks when one is shown.
    [[nodiscard]] static std::unique_ptr<SDLHost> open(const char* title, CGSize size,
                                                       std::span<const std::string_view> panelButtons);
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

    // Where cairo draws: the window's pixels when their format is cairo's, else a converted copy.
    [[nodiscard]] SDL_Surface* canvas();
    // The desktop's key repeat, which a held gamepad button follows too.
    [[nodiscard]] Gamepad::KeyRepeat keyRepeat() const;

    CGSize size_;
    SDL_Window* window_ = nullptr;
    SDL_Surface* copy_ = nullptr;
    bool exposed_ = true;           // the window must be sent whole
    std::vector<SDL_Rect> rects_;   // the parts of a frame that changed, kept between frames
    std::unique_ptr<Gamepad> gamepad_; // none when the system has no controller support
    cairo_t* cr_ = nullptr;            // drawing into the pixels at crPixels_
    const void* crPixels_ = nullptr;
};
