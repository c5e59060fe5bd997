#include "Desktop.hpp"

#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

HeldFire::Repeat x11Repeat(Display* display)
{
    HeldFire::Repeat repeat;
    unsigned delay = 0, interval = 0;
    if (XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval) && delay > 0 && interval > 0)
        repeat = {delay / 1000.0, interval / 1000.0};
    XKeyboardState state;
    XGetKeyboardControl(display, &state);
    KeyCode space = XKeysymToKeycode(display, XK_space);
    bool spaceRepeats = space == 0 || (state.auto_repeats[space / 8] >> (space % 8)) & 1;
    if (state.global_auto_repeat == AutoRepeatModeOff || !spaceRepeats) repeat.interval = 0;
    return repeat;
}

// A keyboard of our own on a queue of our own, asked once: the compositor tells every new
// keyboard its repeat rate and delay.
struct WaylandAsk {
    wl_seat* seat = nullptr;
    wl_keyboard* keyboard = nullptr;
    HeldFire::Repeat repeat;
};

const wl_keyboard_listener keyboardListener{
    [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); },
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void* data, wl_keyboard*, std::int32_t rate, std::int32_t delay) {
        auto& repeat = static_cast<WaylandAsk*>(data)->repeat;
        if (rate <= 0) repeat.interval = 0;
        else repeat = {delay / 1000.0, 1.0 / rate};
    },
};

const wl_seat_listener seatListener{
    [](void* data, wl_seat* seat, std::uint32_t capabilities) {
        auto* ask = static_cast<WaylandAsk*>(data);
        if (ask->keyboard || !(capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) return;
        ask->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(ask->keyboard, &keyboardListener, ask);
    },
    [](void*, wl_seat*, const char*) {},
};

const wl_registry_listener registryListener{
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
        auto* ask = static_cast<WaylandAsk*>(data);
        if (ask->seat || std::strcmp(interface, wl_seat_interface.name) != 0 || version < 4) return;
        ask->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 4));
        wl_seat_add_listener(ask->seat, &seatListener, ask);
    },
    [](void*, wl_registry*, std::uint32_t) {},
};

HeldFire::Repeat waylandRepeat(wl_display* display)
{
    WaylandAsk ask;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &registryListener, &ask);
    // The globals, then the seat's keyboard, then what the keyboard is told.
    for (int i = 0; i < 3; ++i)
        if (wl_display_roundtrip_queue(display, queue) < 0) break;
    if (ask.keyboard) wl_keyboard_release(ask.keyboard);
    if (ask.seat) wl_seat_destroy(ask.seat);
    wl_registry_destroy(registry);
    wl_event_queue_destroy(queue);
    return ask.repeat;
}

// The window system the window is on, and its connection.
SDL_SysWMinfo windowSystem(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info)) info.subsystem = SDL_SYSWM_UNKNOWN;
    return info;
}

} // namespace

bool hasWindowManager(SDL_Window* window)
{
    SDL_SysWMinfo info = windowSystem(window);
    if (info.subsystem != SDL_SYSWM_X11) return true;
    // A manager owns the WM_Sn selection of its screen (ICCCM), or names itself on the root.
    Display* display = info.info.x11.display;
    std::string selection = "WM_S" + std::to_string(DefaultScreen(display));
    if (XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != None) return true;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0,
                       1, False, XA_WINDOW, &type, &format, &items, &left, &data);
    bool named = type == XA_WINDOW && items == 1;
    if (data) XFree(data);
    return named;
}

HeldFire::Repeat desktopKeyRepeat(SDL_Window* window)
{
    SDL_SysWMinfo info = windowSystem(window);
    if (info.subsystem == SDL_SYSWM_X11) return x11Repeat(info.info.x11.display);
    if (info.subsystem == SDL_SYSWM_WAYLAND) return waylandRepeat(info.info.wl.display);
    return {};
}
