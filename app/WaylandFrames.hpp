#pragma once

#include <SDL_rect.h>

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
// GPU costs a fifth of a core in software rendering for this game. Only what changed is copied and sent; a buffer the
// compositor still reads is left alone.
class WaylandFrames {
public:
    // Nothing when the window is not on Wayland or the compositor offers no shared memory.
    [[nodiscard]] static std::unique_ptr<WaylandFrames> attach(SDL_Window* window);
    ~WaylandFrames();
    WaylandFrames(const WaylandFrames&) = delete;
    WaylandFrames& operator=(const WaylandFrames&) = delete;

    // Shows a frame of XRGB pixels in buffer pixels (the window's size times its scale): the
    // rects that changed since the last frame shown, or all of it.
    void show(const std::uint32_t* pixels, int width, int height, int stride, const std::vector<SDL_Rect>* changed);
    // The compositor went away, or dropped us.
    [[nodiscard]] bool lost() const;

private:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        std::uint32_t* data = nullptr;
        std::size_t bytes = 0;
        bool busy = false;             // the compositor may still read it
        bool whole = true;             // its pixels are of no frame we can build on
        std::vector<SDL_Rect> stale;   // changed in frames it did not show
    };

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
};
