#pragma once

#include "CGGeometry.hpp"
#include "FramePacer.hpp"
#include "Gamepad.hpp"
#include "HeldFire.hpp"
#include "Letterbox.hpp"
#include "WaylandFrames.hpp"

#include <SDL_rect.h>
#include <cairo.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

struct SDL_Surface;
struct SDL_Window;
class SKView;

// The one window: no title bar, drawn at the display's pixel density, on X11 or natively on
// Wayland. It fits the screen, and whatever size it ends up with (fullscreen, or a window
// manager's choice) the view is drawn uniformly scaled and centred, with black bars where the
// aspect differs; clicks go through the same transform. Feeds the view its input, shows the
// frames it renders and paces them. The frames are drawn on the CPU by cairo, straight into the
// window's own pixels on X11, and into shared-memory buffers of the window's size in pixels on
// Wayland (crisp at any scale); no GPU texture, no software GL in between.
// Host keys, beside the game's: F11 and Alt+Enter toggle fullscreen, Ctrl+Q quits.
// Game controllers, plugged in at any time, play through the keys and clicks the game knows.
class SDLHost {
public:
    // Nothing, after one line on stderr, when there is no display to open a window on.
    // desktopId: the window's class on X11 and its app id on Wayland, as its desktop entry is
    // named. panelButtons: the nodes a gamepad's south button clicks when one is shown.
    [[nodiscard]] static std::unique_ptr<SDLHost> open(const char* title, const char* desktopId, CGSize size,
                                                       double framesPerSecond,
                                                       std::span<const std::string_view> panelButtons);
    ~SDLHost();
    SDLHost(const SDLHost&) = delete;
    SDLHost& operator=(const SDLHost&) = delete;

    [[nodiscard]] CGSize size() const { return size_; }
    // Delivers the waiting events to the view; false once the window is closed or Ctrl+Q pressed.
    [[nodiscard]] bool deliverEvents(SKView& view);
    // Renders the view's frame into the window and shows it.
    void present(const SKView& view);
    // Sleeps to the next frame's deadline; while nothing moves or nobody sees the window, until
    // something happens instead.
    void waitForNextFrame(const SKView& view);
    // The display went away: the game ends with status 1, not as after a quit.
    [[nodiscard]] bool displayLost() const { return displayLost_; }
    // The window's own icon, from a hicolor icon folder (…/icons/hicolor), at the window's scale,
    // so the task switcher shows it even where no menu entry matches the window.
    void setIcon(const std::filesystem::path& hicolor);
    // Fullscreen on the desktop's resolution (by our own hand where no window manager would act).
    void toggleFullscreen();
    [[nodiscard]] bool isFullscreen() const;

private:
    SDLHost() = default;

    // Where cairo draws on X11: the window's pixels when their format is cairo's; else pixels of
    // our own, converted into the window's. On Wayland it draws into the frames' buffers.
    [[nodiscard]] SDL_Surface* canvas();
    // The view placed in pixels of this size.
    void fit(int width, int height);
    void presentOnWayland(const SKView& view);
    // Shows what changed of the canvas (the whole of it when no damage is given).
    void show(SDL_Surface* canvas, const std::vector<PixelRect>* damage);
    // A point of the window (its own units, y down) in view points (y up).
    [[nodiscard]] CGPoint toView(int x, int y) const;
    static SDL_HitTestResult SDLCALL hitTest(SDL_Window* window, const SDL_Point* point, void* host);
    // The screensaver held off only while a game is in play and the window shown.
    void holdScreenAwake(const SKView& view);
    // Whether a point of the window (its own units) is on the strip that moves it.
    [[nodiscard]] bool onDragStrip(int y) const;
    // Hands the move of the window, under a pointer pressed at `from` (in the window) and moving
    // since, to the window manager.
    void beginMove(SDL_Point from);

    CGSize size_;
    SDL_Window* window_ = nullptr;
    SDL_Surface* copy_ = nullptr;
    std::unique_ptr<WaylandFrames> wayland_; // Wayland: the buffers we draw into, shared with the compositor
    Letterbox fit_;                // as last drawn
    double pixelsPerUnit_ = 1;     // window pixels per window unit (2 on a HiDPI Wayland output)
    bool exposed_ = true;          // the window must be drawn and sent whole
    bool displayLost_ = false;
    bool managed_ = true;          // a window manager acts on requests for fullscreen
    bool filledByHand_ = false;    // fullscreen without one: moved and sized to the screen
    SDL_Rect windowed_{};          // where the window was before that
    bool screenHeldAwake_ = false;
    std::optional<SDL_Point> pressedOnStrip_; // X11: a press that moves the window once the pointer moves
    std::vector<SDL_Rect> rects_;  // the parts of a frame that changed, kept between frames
    HeldFire fire_{{}};                // space bar and pads' fire buttons, repeated at the desktop's rate
    std::unique_ptr<Gamepad> gamepad_; // none when the system has no controller support
    cairo_t* cr_ = nullptr;            // drawing into the pixels at crPixels_
    const void* crPixels_ = nullptr;
    FramePacer pacer_{60};
};
