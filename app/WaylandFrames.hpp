#pragma once

#include "CGGeometry.hpp"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Window;
struct wl_buffer;
struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_shm;
struct wl_surface;

// Frames shown on a Wayland window through shared memory (which every compositor offers), as on
// X11: the compositor reads our pixels. SDL's own way there is an OpenGL texture, which without a
// GPU costs a fifth of a core in software rendering for this game. Frames are drawn straight into
// the buffers, which take turns: each is brought up to date by drawing what changed since it was
// last shown, and a buffer the compositor still reads is left alone.
class WaylandFrames {
public:
    // Nothing when the window is not on Wayland or the compositor offers no shared memory.
    [[nodiscard]] static std::unique_ptr<WaylandFrames> attach(SDL_Window* window);
    ~WaylandFrames();
    WaylandFrames(const WaylandFrames&) = delete;
    WaylandFrames& operator=(const WaylandFrames&) = delete;

    // One buffer the compositor reads frames from.
    struct Buffer {
        wl_buffer* buffer = nullptr;
        std::uint32_t* data = nullptr;
        std::size_t bytes = 0;
        cairo_t* cr = nullptr;          // over its XRGB pixels
        bool busy = false;              // the compositor may still read it
        std::vector<PixelRect> stale;   // changed in frames it did not show
    };

    // The buffer to draw the next frame into, in buffer pixels (the window's size times its
    // scale); a new one's pixels are black and all of it is stale. Nothing while the compositor
    // reads every buffer: the frame waits.
    [[nodiscard]] Buffer* next(int width, int height);
    // Shows the buffer drawn last: `changed` are the rects that changed since the frame before
    // (nothing: all of it).
    void show(const std::vector<PixelRect>* changed);
    // The compositor went away, or dropped us.
    [[nodiscard]] bool lost() const;

    // After `shown` shows a frame that changed `changed` (null: all of it) in buffers of
    // width × height, the other buffers have missed that too (past a limit, all of themselves),
    // and it has missed nothing.
    static void handOver(const std::vector<std::unique_ptr<Buffer>>& buffers, Buffer& shown,
                         const std::vector<PixelRect>* changed, int width, int height);

private:
    WaylandFrames() = default;
    [[nodiscard]] Buffer* freeBuffer(int width, int height);
    void release(Buffer& buffer);

    wl_display* display_ = nullptr;
    wl_surface* surface_ = nullptr;
    wl_event_queue* queue_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_shm* shm_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<std::unique_ptr<Buffer>> buffers_;
    Buffer* drawn_ = nullptr; // handed out by next(), not shown yet
};
