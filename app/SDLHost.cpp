#include "SDLHost.hpp"

#include "Desktop.hpp"
#include "Diagnostics.hpp"
#include "DisplayWatch.hpp"
#include "KeyMap.hpp"
#include "Process.hpp"
#include "SKScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <SDL.h>
#include <SDL_syswm.h>
#include <SDL_vulkan.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// How long a compositor has to answer a first round trip, and the window to open.
constexpr double waylandAnswerSeconds = 2;
constexpr double startupSeconds = 10;

// SDL quietly falls back to an invisible window when there is no display; only a driver that
// was asked for by name may be headless.
bool isHeadless(const char* driver)
{
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The displays the environment names, in the order to try them: a Wayland compositor first,
// natively, then X11. SDL gets the drivers; a message gets the displays' names.
struct Displays {
    std::string drivers;
    std::string named;       // "the Wayland display wayland-0 or the X display :0"
    std::string unreachable; // a compositor named that cannot be used, and why
    std::unique_ptr<WaylandProbe> probe; // the compositor's answer, and our eye on it during start-up
};

Displays displaysToTry()
{
    Displays d;
    auto add = [&](const char* driver, const std::string& name) {
        d.drivers += (d.drivers.empty() ? "" : ",") + std::string(driver);
        d.named += (d.named.empty() ? "" : " or ") + name;
    };
    // Only a compositor whose socket is there: libwayland would say so on stderr itself.
    if (std::string wayland = environment("WAYLAND_DISPLAY"); !wayland.empty()) {
        std::string runtime = environment("XDG_RUNTIME_DIR");
        std::filesystem::path socket = wayland.front() == '/' ? wayland : runtime + "/" + wayland;
        std::error_code error;
        if (wayland.front() != '/' && runtime.empty())
            d.unreachable = "the Wayland display " + wayland + " (XDG_RUNTIME_DIR is not set)";
        else if (!std::filesystem::is_socket(socket, error))
            d.unreachable = "the Wayland display " + wayland + " (no socket at " + socket.string() + ")";
        else if (d.probe = std::make_unique<WaylandProbe>(wayland, waylandAnswerSeconds); !d.probe->problem().empty())
            d.unreachable = "the Wayland display " + wayland + " (" + d.probe->problem() + ")";
        else
            add("wayland", "the Wayland display " + wayland);
    }
    if (std::string x11 = environment("DISPLAY"); !x11.empty()) {
        // A compositor that is there but does not answer is worth a line before going on.
        if (d.probe && !d.probe->problem().empty())
            Diagnostics::tell("cannot reach " + d.unreachable + "; trying the X display " + x11);
        add("x11", "the X display " + x11);
    }
    return d;
}

// X11 has no per-window scale: follow the desktop's integer scale when it sets one.
double desktopScale()
{
    int scale = std::atoi(environment("GDK_SCALE").c_str());
    return scale >= 1 && scale <= 4 ? scale : 1;
}

// The display the window is on, for the line that says it went away.
std::string displayInUse;

// Xlib's own way to say the server went away would be a paragraph, then exit status 1.
int lostX11(Display*)
{
    Diagnostics::tell("lost " + displayInUse);
    _exit(1);
}

// SDL draws into an X window of the screen's default visual, which it cannot do at depth 30 (a
// 10-bit screen); such a server also offers a 32-bit visual, which it can. False when the display
// has no true-colour visual SDL can draw in (a screen of 256 colours).
bool chooseTrueColourVisual()
{
    if (!environment("SDL_VIDEO_X11_WINDOW_VISUALID").empty() || !environment("SDL_VIDEO_X11_VISUALID").empty())
        return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return true; // SDL has just reached it: this is a race SDL's own lines will tell
    int screen = DefaultScreen(display);
    Visual* standard = DefaultVisual(display, screen);
    XVisualInfo asked{};
    asked.visualid = XVisualIDFromVisual(standard);
    int n = 0;
    XVisualInfo* info = XGetVisualInfo(display, VisualIDMask, &asked, &n);
    bool usable = n > 0 && info[0].c_class == TrueColor && info[0].depth != 30 && info[0].depth >= 15;
    if (info) XFree(info);
    for (int depth : {24, 32, 16, 15}) {
        if (usable) break;
        XVisualInfo found{};
        if (!XMatchVisualInfo(display, screen, depth, TrueColor, &found)) continue;
        SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, std::to_string(found.visualid).c_str());
        usable = true;
    }
    XCloseDisplay(display);
    return usable;
}

// The height of the strip, in view points, that drags the window.
constexpr double dragStripHeight = 40;
// The stand-in for the Vulkan loader, where the build and the package put it: ../lib/tarvenko
// from the binary.
std::string vulkanStandIn()
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return (exe.parent_path().parent_path() / "lib" / "tarvenko" / "wayland" / "vulkan-stand-in.so").string();
}

// The share of a Wayland output the window may take at most.
constexpr double waylandRoom = 0.9;
// While nothing moves and a gamepad is plugged in, SDL can only wait by polling the pad every
// millisecond; the host looks this often instead.
constexpr Uint32 idlePollMs = 50;

} // namespace

std::unique_ptr<SDLHost> SDLHost::open(const char* title, const char* desktopId, CGSize size, double framesPerSecond,
                                       std::span<const std::string_view> panelButtons)
{
    std::string asked = environment("SDL_VIDEODRIVER");
    Displays displays = displaysToTry();
    if (asked.empty()) {
        if (displays.drivers.empty()) {
            Diagnostics::tell(displays.unreachable.empty()
                                  ? "no display to open the window on: neither WAYLAND_DISPLAY nor DISPLAY is set"
                                  : "cannot reach " + displays.unreachable);
            return nullptr;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, displays.drivers.c_str());
    }
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // SDL names the window after these (else after the executable).
    setenv("SDL_VIDEO_X11_WMCLASS", desktopId, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", desktopId, 0);
    // No title bar to draw: libdecor would only load plugins and say so.
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
    // The screensaver is the game's to hold off, in play only (SDL would from start to quit),
    // asked in the game's name.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_APP_NAME, title);
    // Start-up never hangs on a display that stops answering or goes away; the libraries' own
    // lines about it (Xlib's authorisation, libwayland's) give way to ours.
    StartupWatch watch(displays.named, displays.probe ? displays.probe->fd() : -1, startupSeconds);
    process::Hush hush;
    XSetIOErrorHandler(lostX11);
    displayInUse = displays.named;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        if (watch.claimLastWord())
            Diagnostics::tell("cannot reach " + (asked.empty() ? displays.named : "a display for SDL_VIDEODRIVER=" + asked) +
                          " (" + SDL_GetError() + ")");
        return nullptr;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (isHeadless(driver) && asked != driver) {
        if (watch.claimLastWord()) Diagnostics::tell("no display to open the window on");
        SDL_Quit();
        return nullptr;
    }
    // Any other driver (a headless one asked for by name) draws into the window's pixels as X11 does.
    bool wayland = std::strcmp(driver, "wayland") == 0;
    if (std::strcmp(driver, "x11") == 0 && !chooseTrueColourVisual()) {
        if (watch.claimLastWord())
            Diagnostics::tell("the X display " + environment("DISPLAY") +
                              " has no true-colour screen (15 bits a pixel or more), which the game needs");
        SDL_Quit();
        return nullptr;
    }
    displayInUse =
        wayland ? "the Wayland display " + environment("WAYLAND_DISPLAY") : "the X display " + environment("DISPLAY");
    // On X11 the window's pixels go to the display as they are (shared memory); SDL would
    // otherwise copy them through an OpenGL texture, which without a GPU is costly software GL.
    if (!wayland) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

    std::unique_ptr<SDLHost> host(new SDLHost);
    host->size_ = size;
    host->pacer_ = FramePacer(framesPerSecond);
    // The desktop's scale, or the largest that fits the screen's usable area, centred there.
    SDL_Rect usable{0, 0, int(size.width), int(size.height)};
    bool bounded = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0;
    auto place = [&](double scale) {
        int w = std::max(1, int(std::lround(size.width * scale))), h = std::max(1, int(std::lround(size.height * scale)));
        return SDL_Rect{usable.x + (usable.w - w) / 2, usable.y + (usable.h - h) / 2, w, h};
    };
    // On Wayland that area is the whole output, in points: room is left for the desktop's panels,
    // which a client cannot see, and the compositor places the window.
    double room = wayland ? waylandRoom : 1;
    CGSize area = bounded ? CGSize{room * usable.w, room * usable.h} : CGSize{};
    SDL_Rect at = place(windowScale(size, wayland ? 1 : desktopScale(), area));
    const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI;
    // SDL makes every Wayland window an OpenGL one and loads a GL stack for it, though our frames
    // are shared memory, unless the window is meant for Vulkan: our stand-in for the Vulkan
    // loader lets it go without either.
    if (wayland && SDL_Vulkan_LoadLibrary(vulkanStandIn().c_str()) == 0) {
        host->window_ = SDL_CreateWindow(title, at.x, at.y, at.w, at.h, flags | SDL_WINDOW_VULKAN);
        if (!host->window_) SDL_Vulkan_UnloadLibrary();
    }
    // Else with GL after all. Held by us too, the library stays to the end: unloaded by SDL at
    // quit, it would orphan what it keeps, which the leak checker then reports.
    if (!host->window_ && wayland) SDL_GL_LoadLibrary(nullptr);
    if (!host->window_) host->window_ = SDL_CreateWindow(title, at.x, at.y, at.w, at.h, flags);
    if (host->window_ && wayland) host->wayland_ = WaylandFrames::attach(host->window_);
    if (!host->window_ || (wayland && !host->wayland_) || (!wayland && !host->canvas())) {
        if (watch.claimLastWord()) Diagnostics::tell(std::string("cannot open the window (") + SDL_GetError() + ")");
        return nullptr;
    }
    // No title bar: the top strip of the view moves the window; clicks elsewhere reach the game.
    SDL_SetWindowHitTest(host->window_, hitTest, host.get());
    // Keys go straight to the game, never through an input method.
    SDL_StopTextInput();
    host->fire_.setRepeat(desktopKeyRepeat(host->window_));
    host->managed_ = hasWindowManager(host->window_);
    // Controllers already plugged in arrive as plug-in events on the first poll.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0)
        host->gamepad_ = std::make_unique<Gamepad>(panelButtons, host->fire_);
    else
        Diagnostics::tell(std::string("no gamepads (") + SDL_GetError() + ")");
    return host;
}

SDLHost::~SDLHost()
{
    gamepad_.reset();
    wayland_.reset();
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
    int w = window->w, h = window->h;
    if (!copy_ || copy_->w != w || copy_->h != h) {
        if (copy_) SDL_FreeSurface(copy_);
        copy_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
    }
    return copy_;
}

void SDLHost::show(SDL_Surface* canvas, const std::vector<PixelRect>* damage)
{
    rects_.clear();
    if (damage)
        for (const auto& d : *damage) rects_.push_back({d.x, d.y, d.width, d.height});
    else
        rects_.push_back({0, 0, canvas->w, canvas->h});
    if (rects_.empty()) return;
    if (canvas == copy_) SDL_BlitSurface(copy_, nullptr, SDL_GetWindowSurface(window_), nullptr);
    if (damage)
        SDL_UpdateWindowSurfaceRects(window_, rects_.data(), int(rects_.size()));
    else
        SDL_UpdateWindowSurface(window_);
}

CGPoint SDLHost::toView(int x, int y) const { return fit_.toView({x * pixelsPerUnit_, y * pixelsPerUnit_}, size_); }

bool SDLHost::onDragStrip(int y) const
{
    // The strip and any bar above it.
    return !isFullscreen() && y * pixelsPerUnit_ < fit_.origin.y + dragStripHeight * fit_.scale;
}

SDL_HitTestResult SDLCALL SDLHost::hitTest(SDL_Window*, const SDL_Point* point, void* data)
{
    // On X11 a press on the strip only becomes a move once the pointer moves (deliverEvents): a
    // manager handed the move of a quick click may hold on to the pointer after the release.
    const auto& host = *static_cast<const SDLHost*>(data);
    return host.wayland_ && host.onDragStrip(point->y) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

void SDLHost::beginMove(SDL_Point from)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window_, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    // The manager takes the pointer from here, so the press's own grab is let go first.
    XUngrabPointer(display, CurrentTime);
    XEvent move{};
    move.xclient.type = ClientMessage;
    move.xclient.window = info.info.x11.window;
    move.xclient.message_type = XInternAtom(display, "_NET_WM_MOVERESIZE", False);
    move.xclient.format = 32;
    // From where the press was on the screen, so the window follows the pointer's whole way.
    int x = 0, y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    move.xclient.data.l[0] = x + from.x, move.xclient.data.l[1] = y + from.y;
    move.xclient.data.l[2] = 8; // _NET_WM_MOVERESIZE_MOVE
    move.xclient.data.l[3] = Button1;
    move.xclient.data.l[4] = 1; // a normal application
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &move);
    XFlush(display);
}

void SDLHost::toggleFullscreen()
{
    exposed_ = true;
    if (managed_) {
        SDL_SetWindowFullscreen(window_, isFullscreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    // Nobody would act on the request: the window covers the screen, and goes back, by our hand.
    SDL_Rect to = windowed_;
    if (!filledByHand_) {
        SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
        SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window_)), &to) != 0) return;
    }
    SDL_SetWindowPosition(window_, to.x, to.y);
    SDL_SetWindowSize(window_, to.w, to.h);
    filledByHand_ = !filledByHand_;
}

bool SDLHost::isFullscreen() const { return filledByHand_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN); }

bool SDLHost::deliverEvents(SKView& view)
{
    double now = SDL_GetTicks64() / 1000.0;
    // One look at the display per frame: polling would ask it again for every event.
    SDL_PumpEvents();
    SDL_Event event;
    bool quit = false;
    while (!quit && SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (event.type) {
        case SDL_QUIT:
            // SDL's way to say the compositor went away, as well as a quit asked for.
            if (wayland_ && wayland_->lost()) {
                Diagnostics::tell("lost " + displayInUse);
                displayLost_ = true;
            }
            return false;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) return false;
            // The desktop's settings may have changed while the game was in the background.
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) fire_.setRepeat(desktopKeyRepeat(window_));
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                view.windowDidResignKey();
                fire_.forget();
                if (gamepad_) gamepad_->forget();
            }
            // The display lost what the window showed, or its size changed: sent whole next.
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_RESTORED ||
                event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_SHOWN)
                exposed_ = true;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            switch (hostKey(event.key)) {
            case HostKey::quit: quit = true; break;
            case HostKey::fullscreen: toggleFullscreen(); break;
            case HostKey::mute: view.soundPlayer().setMuted(!view.soundPlayer().isMuted()); break;
            case HostKey::none: deliverKey(event.key, view, fire_, now); break;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button != SDL_BUTTON_LEFT) break;
            if (!wayland_ && onDragStrip(event.button.y))
                pressedOnStrip_ = SDL_Point{event.button.x, event.button.y};
            else
                view.mouseDown(toView(event.button.x, event.button.y));
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) pressedOnStrip_.reset();
            break;
        case SDL_MOUSEMOTION:
            // Past a few units, so a hand's tremble in a click moves nothing.
            if (pressedOnStrip_ && (event.motion.state & SDL_BUTTON_LMASK) &&
                std::abs(event.motion.x - pressedOnStrip_->x) + std::abs(event.motion.y - pressedOnStrip_->y) >= 3) {
                beginMove(*pressedOnStrip_);
                pressedOnStrip_.reset();
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
    if (quit) return false;
    fire_.repeat(view, now);
    holdScreenAwake(view);
    return true;
}

void SDLHost::holdScreenAwake(const SKView& view)
{
    bool shown = !(SDL_GetWindowFlags(window_) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN));
    bool hold = shown && view.scene() && view.scene()->updates() && !view.isTransitioning();
    if (hold == screenHeldAwake_) return;
    screenHeldAwake_ = hold;
    if (hold) SDL_DisableScreenSaver();
    else SDL_EnableScreenSaver();
}

void SDLHost::setIcon(const std::filesystem::path& hicolor)
{
    // The smallest drawn size that covers 64 points of the window, in its pixels.
    int pixelsWide = 0, pixelsHigh = 0;
    SDL_GetWindowSizeInPixels(window_, &pixelsWide, &pixelsHigh);
    int wanted = int(std::lround(64 * pixelsWide / size_.width)), size = 256;
    for (int drawn : {256, 128, 64, 48, 32}) size = drawn >= wanted ? drawn : size;
    std::string file = (hicolor / (std::to_string(size) + "x" + std::to_string(size)) / "apps" / "tarvenko.png").string();
    cairo_surface_t* png = cairo_image_surface_create_from_png(file.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        Diagnostics::tellOnce("window icon", "the window's icon " + file + " cannot be read; the desktop shows its own");
        return cairo_surface_destroy(png);
    }
    int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (icon) {
        // Cairo keeps colours multiplied by their alpha; SDL wants them as they are.
        const auto* from = cairo_image_surface_get_data(png);
        int stride = cairo_image_surface_get_stride(png);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint32_t p = reinterpret_cast<const std::uint32_t*>(from + y * stride)[x];
                std::uint32_t a = p >> 24, out = p & 0xFF000000;
                for (int shift : {16, 8, 0}) out |= (a ? std::min(255u, ((p >> shift & 0xFF) * 255 + a / 2) / a) : 0) << shift;
                reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(icon->pixels) + y * icon->pitch)[x] = out;
            }
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }
    cairo_surface_destroy(png);
}

void SDLHost::fit(int width, int height)
{
    int units = 0, unitsHigh = 0;
    SDL_GetWindowSize(window_, &units, &unitsHigh);
    pixelsPerUnit_ = units > 0 ? double(width) / units : 1;
    Letterbox fit = Letterbox::fit(size_, width, height);
    if (fit != fit_) exposed_ = true, fit_ = fit;
}

void SDLHost::presentOnWayland(const SKView& view)
{
    int w = 0, h = 0;
    SDL_GetWindowSizeInPixels(window_, &w, &h);
    if (w <= 0 || h <= 0) return;
    WaylandFrames::Buffer* target = wayland_->next(w, h);
    if (!target) return; // the compositor reads every buffer: this frame waits for the next
    fit(w, h);
    // The buffer keeps the frame it last showed: what changed since, and what it missed before,
    // is drawn; the bars around the view are black from the start.
    bool keeps = !exposed_;
    if (!keeps) cairo_set_source_rgb(target->cr, 0, 0, 0), cairo_paint(target->cr);
    const auto* damage = view.render(target->cr, fit_.scale, keeps, fit_.origin, {wayland_.get(), &target->stale});
    exposed_ = false;
    if (!keeps || !damage || !damage->empty() || !target->stale.empty()) wayland_->show(keeps ? damage : nullptr);
}

void SDLHost::present(const SKView& view)
{
    // Nobody sees a minimised or hidden window.
    if (SDL_GetWindowFlags(window_) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) return;
    if (wayland_) return presentOnWayland(view);
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
    fit(target->w, target->h);
    // The canvas keeps the last frame when it is the window's own pixels: only what changed is
    // drawn and sent again.
    bool keeps = target != copy_ && !exposed_;
    if (!keeps) SDL_FillRect(target, nullptr, 0); // the bars, where the window's aspect is not the view's
    const auto* damage = view.render(cr_, fit_.scale, keeps, fit_.origin);
    SDL_UnlockSurface(target);
    exposed_ = false;
    show(target, keeps ? damage : nullptr);
}

void SDLHost::waitForNextFrame(const SKView& view)
{
    bool unseen = SDL_GetWindowFlags(window_) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN);
    if (!unseen && !view.isIdle()) {
        pacer_.waitForNextFrame();
        return;
    }
    // Nothing would change on screen: sleep until something happens, and the sound with it.
    view.soundPlayer().suspend(true);
    if (SDL_NumJoysticks() > 0) SDL_Delay(idlePollMs);
    else SDL_WaitEvent(nullptr);
    view.soundPlayer().suspend(false);
    pacer_.restart();
}
