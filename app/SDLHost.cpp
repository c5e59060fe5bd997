#include "SDLHost.hpp"

#include "Diagnostics.hpp"
#include "KeyMap.hpp"
#include "SKView.hpp"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// SDL quietly falls back to an invisible window when there is no display; only a driver that
// was asked for by name may be headless.
bool isHeadless(const char* driver)
{
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// X11 has no per-window scale: follow the desktop's integer scale when it sets one.
double desktopScale()
{
    const char* gdk = std::getenv("GDK_SCALE");
    int scale = gdk ? std::atoi(gdk) : 1;
    return scale >= 1 && scale <= 4 ? scale : 1;
}

// The height of the strip, in window units, that drags the window.
constexpr int dragStripHeight = 40;

SDL_HitTestResult SDLCALL dragStrip(SDL_Window* window, const SDL_Point* point, void*)
{
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    return point->y < dragStripHeight * h / 600 ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

} // namespace

std::unique_ptr<SDLHost> SDLHost::open(const char* title, CGSize size,
                                      std::span<const std::string_view> panelButtons)
{
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // The window's pixels go to the display as they are (shared memory on X11); SDL would
    // otherwise copy them through an OpenGL texture, which without a GPU is costly software GL.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        Diagnostics::tell(std::string("cannot start the display (") + SDL_GetError() + ")");
        return nullptr;
    }
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const char* driver = SDL_GetCurrentVideoDriver();
    if (isHeadless(driver) && !(asked && std::strcmp(asked, driver) == 0)) {
        Diagnostics::tell("no display to open the window on (is DISPLAY or WAYLAND_DISPLAY set?)");
        SDL_Quit();
        return nullptr;
    }

    std::unique_ptr<SDLHost> host(new SDLHost);
    host->size_ = size;
    double scale = std::strcmp(driver, "x11") == 0 ? desktopScale() : 1;
    host->window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, int(size.width * scale),
                                     int(size.height * scale), SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!host->window_ || !host->canvas()) {
        Diagnostics::tell(std::string("cannot open the window (") + SDL_GetError() + ")");
        return nullptr;
    }
    // No title bar: the top strip of the window moves it; clicks elsewhere reach the game.
    SDL_SetWindowHitTest(host->window_, dragStrip, nullptr);
    // Keys go straight to the game, never through an input method.
    SDL_StopTextInput();
    // Controllers already plugged in arrive as plug-in events on the first poll.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0)
        host->gamepad_ = std::make_unique<Gamepad>(panelButtons, host->keyRepeat());
    else
        Diagnostics::tell(std::string("no gamepads (") + SDL_GetError() + ")");
    return host;
}

SDLHost::~SDLHost()
{
    gamepad_.reset();
    if (cr_) cairo_destroy(cr_);
    if (copy_) SDL_FreeSurface(copy_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
}

SDL_Surface* SDLHost::canvas()
{
    SDL_Surface* window = SDL_GetWindowSurface(window_);
    if (!window) return nullptr;
    Uint32 format = window->format->format;
    if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) return window;
    if (!copy_ || copy_->w != window->w || copy_->h != window->h) {
        if (copy_) SDL_FreeSurface(copy_);
        copy_ = SDL_CreateRGBSurfaceWithFormat(0, window->w, window->h, 32, SDL_PIXELFORMAT_RGB888);
    }
    return copy_;
}

Gamepad::KeyRepeat SDLHost::keyRepeat() const
{
    Gamepad::KeyRepeat repeat;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    unsigned delay = 0, interval = 0;
    if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11 &&
        XkbGetAutoRepeatRate(info.info.x11.display, XkbUseCoreKbd, &delay, &interval) && delay > 0 && interval > 0) {
        repeat.delay = delay / 1000.0;
        repeat.interval = interval / 1000.0;
    }
    return repeat;
}

bool SDLHost::deliverEvents(SKView& view)
{
    double now = SDL_GetTicks64() / 1000.0;
    // One look at the display per frame: polling would ask it again for every event.
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (event.type) {
        case SDL_QUIT:
            return false;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) return false;
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                view.windowDidResignKey();
                if (gamepad_) gamepad_->forget();
            }
            // The display lost what the window showed: the next frame is sent whole.
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_RESTORED ||
                event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_SHOWN)
                exposed_ = true;
            break;
        case SDL_KEYDOWN:
            // Repeats count as presses: a held space bar keeps firing.
            if (auto code = virtualKeyCode(event.key.keysym.scancode)) view.keyDown(*code);
            break;
        case SDL_KEYUP:
            if (auto code = virtualKeyCode(event.key.keysym.scancode)) view.keyUp(*code);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                // Window coordinates are y down, in window units; the view's are y up, in points.
                int w = 0, h = 0;
                SDL_GetWindowSize(window_, &w, &h);
                double kx = w > 0 ? size_.width / w : 1, ky = h > 0 ? size_.height / h : 1;
                view.mouseDown({event.button.x * kx, size_.height - event.button.y * ky});
            }
            break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            if (gamepad_) gamepad_->handle(event, view, now);
            break;
        default:
            break;
        }
    }
    if (gamepad_) gamepad_->repeatHeldKeys(view, now);
    return true;
}

void SDLHost::present(const SKView& view)
{
    // Nobody sees a minimised or hidden window: the game runs on, but draws nothing.
    if (SDL_GetWindowFlags(window_) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) return;
    SDL_Surface* target = canvas();
    if (!target || SDL_LockSurface(target) != 0) return;
    // Cairo's view of the pixels lasts as long as the pixels do.
    if (!cr_ || target->pixels != crPixels_ || cairo_image_surface_get_width(cairo_get_target(cr_)) != target->w ||
        cairo_image_surface_get_height(cairo_get_target(cr_)) != target->h) {
        if (cr_) cairo_destroy(cr_);
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            static_cast<unsigned char*>(target->pixels), CAIRO_FORMAT_RGB24, target->w, target->h, target->pitch);
        cr_ = cairo_create(surface);
        cairo_surface_destroy(surface); // the context holds it
        crPixels_ = target->pixels;
    }
    // The window's pixels keep the last frame: only what changed is drawn and sent again.
    bool keeps = target != copy_ && !exposed_;
    const auto* damage = view.render(cr_, target->w / size_.width, keeps);
    SDL_UnlockSurface(target);
    exposed_ = false;
    if (target == copy_) SDL_BlitSurface(copy_, nullptr, SDL_GetWindowSurface(window_), nullptr);
    if (!damage) {
        SDL_UpdateWindowSurface(window_);
        return;
    }
    rects_.clear();
    for (const auto& d : *damage) rects_.push_back({d.x, d.y, d.width, d.height});
    if (!rects_.empty()) SDL_UpdateWindowSurfaceRects(window_, rects_.data(), int(rects_.size()));
}
