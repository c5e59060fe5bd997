#include "WaylandFrames.hpp"

#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <climits>
#include <cstring>
#include <utility>

namespace {

// One for the compositor to read while the other is drawn. When it still holds both (once at
// start-up, seen on weston and sway), the frame waits a turn rather than costing a third buffer.
constexpr std::size_t maxBuffers = 2;
// Past this many rects a buffer is brought up to date whole.
constexpr std::size_t maxStaleRects = 256;

} // namespace

std::unique_ptr<WaylandFrames> WaylandFrames::attach(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return nullptr;
    std::unique_ptr<WaylandFrames> frames(new WaylandFrames);
    frames->display_ = info.info.wl.display;
    frames->surface_ = info.info.wl.surface;
    // Our own queue, so that SDL's events and ours never meet.
    frames->queue_ = wl_display_create_queue(frames->display_);
    auto* display = static_cast<wl_display*>(wl_proxy_create_wrapper(frames->display_));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(display), frames->queue_);
    frames->registry_ = wl_display_get_registry(display);
    wl_proxy_wrapper_destroy(display);
    static const wl_registry_listener listener{
        [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
            auto* self = static_cast<WaylandFrames*>(data);
            if (!self->shm_ && std::strcmp(interface, wl_shm_interface.name) == 0)
                self->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        },
        [](void*, wl_registry*, std::uint32_t) {},
    };
    wl_registry_add_listener(frames->registry_, &listener, frames.get());
    wl_display_roundtrip_queue(frames->display_, frames->queue_);
    if (!frames->shm_) return nullptr;
    return frames;
}

bool WaylandFrames::lost() const { return wl_display_get_error(display_) != 0; }

WaylandFrames::~WaylandFrames()
{
    for (auto& b : buffers_) release(*b);
    if (shm_) wl_shm_destroy(shm_);
    if (registry_) wl_registry_destroy(registry_);
    if (queue_) wl_event_queue_destroy(queue_);
}

void WaylandFrames::release(Buffer& b)
{
    if (b.cr) cairo_destroy(b.cr);
    if (b.buffer) wl_buffer_destroy(b.buffer);
    if (b.data) munmap(b.data, b.bytes);
    b.cr = nullptr, b.buffer = nullptr, b.data = nullptr;
}

WaylandFrames::Buffer* WaylandFrames::freeBuffer(int width, int height)
{
    if (width != width_ || height != height_) {
        // Another size: new buffers. One the compositor still holds goes when it is let go.
        for (auto& b : buffers_) release(*b);
        buffers_.clear();
        drawn_ = nullptr;
        width_ = width, height_ = height;
    }
    for (auto& b : buffers_)
        if (!b->busy) return b.get();
    if (buffers_.size() == maxBuffers) return nullptr;

    auto b = std::make_unique<Buffer>();
    int stride = width * 4;
    b->bytes = std::size_t(stride) * height;
    int fd = memfd_create("tarvenko-frame", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, off_t(b->bytes)) != 0) {
        if (fd >= 0) close(fd);
        return nullptr;
    }
    void* data = mmap(nullptr, b->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, int(b->bytes));
    b->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    b->data = static_cast<std::uint32_t*>(data);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(data),
                                                                   CAIRO_FORMAT_RGB24, width, height, stride);
    b->cr = cairo_create(surface);
    cairo_surface_destroy(surface); // the context holds it
    // Fresh pixels are black and hold no frame: all of it is to be drawn.
    b->stale.push_back({0, 0, width, height});
    static const wl_buffer_listener listener{[](void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }};
    wl_buffer_add_listener(b->buffer, &listener, b.get());
    buffers_.push_back(std::move(b));
    return buffers_.back().get();
}

void WaylandFrames::handOver(const std::vector<std::unique_ptr<Buffer>>& buffers, Buffer& shown,
                             const std::vector<PixelRect>* changed, int width, int height)
{
    for (const auto& b : buffers) {
        if (b.get() == &shown) continue;
        if (!changed || b->stale.size() + changed->size() > maxStaleRects)
            b->stale.assign(1, PixelRect{0, 0, width, height});
        else
            b->stale.insert(b->stale.end(), changed->begin(), changed->end());
    }
    shown.stale.clear();
}

WaylandFrames::Buffer* WaylandFrames::next(int width, int height)
{
    // The compositor's word on which buffers it has let go, read from the socket by SDL's pump.
    wl_display_dispatch_queue_pending(display_, queue_);
    drawn_ = freeBuffer(width, height);
    return drawn_;
}

void WaylandFrames::show(const std::vector<PixelRect>* changed)
{
    if (!drawn_) return;
    Buffer* shown = std::exchange(drawn_, nullptr);
    handOver(buffers_, *shown, changed, width_, height_);

    cairo_surface_flush(cairo_get_target(shown->cr));
    wl_surface_attach(surface_, shown->buffer, 0, 0);
    // Damage in buffer pixels needs a surface of version 4; an older one is told it all changed.
    if (!changed || wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) < 4) {
        wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
    } else {
        for (const PixelRect& r : *changed) wl_surface_damage_buffer(surface_, r.x, r.y, r.width, r.height);
    }
    wl_surface_commit(surface_);
    shown->busy = true;
    wl_display_flush(display_);
}
