// The window host on SDL's headless video driver: the game's frames in the window's pixels,
// events pushed as a display would send them.
#include <gtest/gtest.h>

#include "Desktop.hpp"
#include "Support.hpp"
#include "GameStage.hpp"
#include "Hud.hpp"
#include "SDLHost.hpp"
#include "WaylandFrames.hpp"

#include <SDL.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/Xatom.h>
#include <fcntl.h>
#include <signal.h>
#include <SDL_syswm.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cstdlib>

namespace {

// A helper program of the test's own, its output dropped; what it writes on fd 3 up to a
// newline is read back when it is to tell something.
struct Helper {
    pid_t pid = -1;
    std::string told;
    explicit Helper(std::vector<const char*> argv, bool tells = false)
    {
        int ends[2];
        if (pipe(ends) != 0) return;
        argv.push_back(nullptr);
        if ((pid = fork()) == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // a test killed mid-way leaves no server behind
            int null = open("/dev/null", O_WRONLY);
            dup2(ends[1], 3), dup2(null, 1), dup2(null, 2);
            execvp(argv[0], const_cast<char**>(argv.data()));
            _exit(127);
        }
        close(ends[1]);
        FILE* in = fdopen(ends[0], "r");
        for (int c; tells && (c = std::fgetc(in)) != EOF && c != '\n';) told += char(c);
        std::fclose(in);
    }
    ~Helper() { kill(pid, SIGTERM), waitpid(pid, nullptr, 0); }
};

// An X server of the test's own, no window manager on it, named in DISPLAY while it runs.
struct XServer : Helper {
    std::string display = ":" + std::to_string(std::atoi(told.c_str()));
    explicit XServer(const char* screen = "1024x768x24")
        : Helper({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"}, true)
    {
        unsetenv("WAYLAND_DISPLAY"), unsetenv("SDL_VIDEODRIVER"), unsetenv("GDK_SCALE");
        setenv("DISPLAY", display.c_str(), 1);
    }
};

// The game's window as main opens it, under a test's own class name.
std::unique_ptr<SDLHost> openHost()
{
    return SDLHost::open("Tarvenko", "org.tarvenko.Test", {800, 600}, 60, panelButtonNames);
}

SDL_Window* theWindow()
{
    for (Uint32 id = 1; id < 10; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    return nullptr;
}

std::string geometry(SDL_Window* w)
{
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(w, &x, &y), SDL_GetWindowSize(w, &width, &height);
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
}

} // namespace

// On SDL's headless driver, showing a stage.
TEST(SDLHost, DrawsTheFieldLetterboxedAtEveryWindowShapeAndClicksLandWhereTheyAreDrawn)
{
    unsetenv("WAYLAND_DISPLAY"), unsetenv("DISPLAY"), unsetenv("GDK_SCALE"), setenv("SDL_VIDEODRIVER", "dummy", 1);
    struct {
        GameStage stage{false};
        std::unique_ptr<SDLHost> host = openHost();
        SDL_Window* window = theWindow();
        std::uint32_t pixel(int x, int y) const // y down, as 0xRRGGBB
        {
            SDL_Surface* s = SDL_GetWindowSurface(window);
            return static_cast<const std::uint32_t*>(s->pixels)[y * s->pitch / 4 + x] & 0xFFFFFF;
        }
        bool push(SDL_Event e) { return SDL_PushEvent(&e) == 1 && host->deliverEvents(stage.view); }
        bool windowEvent(Uint8 what) { return push({.window = {SDL_WINDOWEVENT, 0, 0, what}}); }
        void frame() { stage.frames(1), host->present(stage.view); }
    } h;
    ASSERT_TRUE(h.host && h.window) << SDL_GetError();
    EXPECT_TRUE(geometry(h.window).ends_with(" 800x600")) << "the largest whole fit of the 1024 × 768 screen";
    h.frame();
    // The warning panel's grey middle, and where its button sits: the same at every shape.
    for (auto [width, high] : {std::pair{800, 600}, {1000, 600}, {800, 900}, {1603, 1201}, {400, 301}}) {
        SDL_SetWindowSize(h.window, width, high);
        EXPECT_TRUE(h.windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED));
        h.frame();
        Letterbox fit = Letterbox::fit({800, 600}, width, high);
        int px = int(fit.origin.x + 170 * fit.scale), py = int(fit.origin.y + 300 * fit.scale);
        EXPECT_NEAR(int(h.pixel(px, py) >> 16), 20, 6) << width << "×" << high << ": the panel";
        EXPECT_TRUE(fit.origin.x < 1 || h.pixel(int(fit.origin.x) - 1, py) == 0) << "the bar left of the field";
        EXPECT_TRUE(fit.origin.y < 1 || h.pixel(px, int(fit.origin.y) - 1) == 0) << "the bar above the field";
    }
    // Whatever the display did to the window's pixels, an expose, a restore, a show or a new size
    // has the frame drawn whole again.
    for (Uint8 event :
         {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_SIZE_CHANGED}) {
        h.frame(); // the frame before, drawn into the same pixels
        SDL_FillRect(SDL_GetWindowSurface(h.window), nullptr, 0xFFFFFF);
        EXPECT_TRUE(h.windowEvent(event));
        h.frame();
        EXPECT_EQ(h.pixel(1, 1), 0u) << "event " << int(event);
    }
    // A click on the button's drawn corner, at an odd shape, presses it; only the left button clicks.
    Letterbox fit = Letterbox::fit({800, 600}, 400, 301);
    SDL_Event click{SDL_MOUSEBUTTONDOWN};
    click.button.x = int(fit.origin.x + 332 * fit.scale), click.button.y = int(fit.origin.y + (600 - 175) * fit.scale);
    for (Uint8 button : {SDL_BUTTON_RIGHT, SDL_BUTTON_LEFT}) {
        click.button.button = button;
        EXPECT_TRUE(h.push(click));
        EXPECT_EQ(h.stage.scene->playState() == GameScene::PlayState::playing, button == SDL_BUTTON_LEFT);
    }
    // Focus lost pauses; a close or a quit ends the frame loop, a display gone is not said.
    EXPECT_TRUE(h.windowEvent(SDL_WINDOWEVENT_FOCUS_LOST) && h.stage.scene->isGamePaused());
    EXPECT_FALSE(h.windowEvent(SDL_WINDOWEVENT_CLOSE) || h.push(SDL_Event{SDL_QUIT}) || h.host->displayLost());
}

TEST(SDLHost, WithoutADisplayNamedThereIsNoWindowAndOneLine)
{
    unsetenv("WAYLAND_DISPLAY"), unsetenv("DISPLAY"), unsetenv("SDL_VIDEODRIVER");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(openHost());
    setenv("WAYLAND_DISPLAY", "wayland-none", 1), unsetenv("XDG_RUNTIME_DIR");
    EXPECT_FALSE(openHost());
    setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
    EXPECT_FALSE(openHost());
    // A compositor's socket nobody listens on, beside an X display that is not there either.
    TempDir runtime;
    close(listeningSocket(runtime.dir, "gone"));
    setenv("WAYLAND_DISPLAY", "gone", 1), setenv("XDG_RUNTIME_DIR", runtime.dir.c_str(), 1), setenv("DISPLAY", ":198", 1);
    EXPECT_FALSE(openHost());
    std::string err = testing::internal::GetCapturedStderr();
    for (const char* line : {"neither WAYLAND_DISPLAY nor DISPLAY is set\n", "(XDG_RUNTIME_DIR is not set)\n",
                             "Wayland display wayland-none (no socket at /nonexistent/wayland-none)\n",
                             "gone (cannot connect: Connection refused); trying the X display :198\n",
                             "tarvenko: cannot reach the X display :198 ("})
        EXPECT_NE(err.find(line), std::string::npos) << line << " in:\n" << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 5) << err;
    unsetenv("DISPLAY"), unsetenv("WAYLAND_DISPLAY");
}

// A 10-bit screen plays in its 32-bit visual, with the right colours; a screen of 256 colours is
// named in the game's own words.
TEST(SDLHost, AnyTrueColourScreenPlaysAndOneWithoutIsNamed)
{
    {
        XServer x("1024x768x30");
        GameStage stage(false);
        auto host = openHost();
        ASSERT_TRUE(host) << SDL_GetError();
        stage.frames(1), host->present(stage.view);
        SDL_Surface* s = SDL_GetWindowSurface(theWindow());
        // The panel's grey, and its red outline across its left edge.
        std::uint32_t panel = static_cast<const std::uint32_t*>(s->pixels)[300 * s->pitch / 4 + 170], red = 0;
        for (int x = 140; x < 160; ++x) red = std::max(red, static_cast<const std::uint32_t*>(s->pixels)[300 * s->pitch / 4 + x] & 0xFFFFFF);
        EXPECT_TRUE((panel & 0xFFFFFF) == 0x141414 && red >> 16 > 0xC0 && (red & 0xFFFF) < 0x4040) << std::hex << panel << " " << red;
    }
    XServer x("1024x768x8");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(!openHost() && testing::internal::GetCapturedStderr() == "tarvenko: the X display " + x.display +
                                       " has no true-colour screen (15 bits a pixel or more), which the game needs\n");
}

TEST(SDLHost, OnABareXServerTheWindowFollowsTheDesktopsScaleAndRepeatAndFillsTheScreenByHand)
{
    XServer x;
    ASSERT_FALSE(x.told.empty());
    Display* display = XOpenDisplay(x.display.c_str());
    ASSERT_TRUE(display);
    XkbSetAutoRepeatRate(display, XkbUseCoreKbd, 250, 20);
    XSync(display, False);
    GameStage stage(true);
    // Twice the size does not fit: the largest that does. A scale past 4 is no scale.
    for (auto [scale, expected] : {std::pair{"2", "0,0 1024x768"}, {"5", "112,84 800x600"}}) {
        setenv("GDK_SCALE", scale, 1);
        auto host = openHost();
        ASSERT_TRUE(host) << SDL_GetError();
        EXPECT_EQ(geometry(theWindow()), expected) << "GDK_SCALE=" << scale;
    }
    unsetenv("GDK_SCALE");
    setenv("SDL_VIDEO_X11_WMCLASS", "Mine", 1); // the user's own choice stands
    auto host = openHost();
    unsetenv("SDL_VIDEO_X11_WMCLASS");
    ASSERT_TRUE(host) << SDL_GetError();
    SDL_Window* w = theWindow();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    XClassHint hint{};
    ASSERT_TRUE(SDL_GetWindowWMInfo(w, &info) && XGetClassHint(display, info.info.x11.window, &hint));
    EXPECT_STREQ(hint.res_class, "Mine");
    XFree(hint.res_name), XFree(hint.res_class);
    // The window's own icon, 64 of its pixels wide; the screensaver held off in play only.
    host->setIcon(SKBundle::main().directory().parent_path() / "icons" / "hicolor");
    Atom type;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* icon = nullptr; // its width and height, then its pixels
    XGetWindowProperty(display, info.info.x11.window, XInternAtom(display, "_NET_WM_ICON", False), 0, 2, False,
                       AnyPropertyType, &type, &format, &items, &left, &icon);
    EXPECT_TRUE(icon && reinterpret_cast<long*>(icon)[0] == 64 && left == 64 * 64 * 4);
    XFree(icon);
    EXPECT_TRUE(host->deliverEvents(stage.view) && !SDL_IsScreenSaverEnabled());
    stage.press(SKKey::escape);
    EXPECT_TRUE(host->deliverEvents(stage.view) && SDL_IsScreenSaverEnabled());
    stage.press(SKKey::escape);
    EXPECT_EQ(geometry(w), "112,84 800x600");
    HeldFire::Repeat repeat = desktopKeyRepeat(w);
    EXPECT_EQ(std::to_string(repeat.delay) + " " + std::to_string(repeat.interval), "0.250000 0.020000");
    EXPECT_FALSE(hasWindowManager(w));
    SDL_Event f11{SDL_KEYDOWN};
    f11.key.keysym = {SDL_SCANCODE_F11, SDLK_F11, KMOD_NONE, 0};
    for (const char* expected : {"0,0 1024x768", "112,84 800x600"}) {
        EXPECT_TRUE(SDL_PushEvent(&f11) && host->deliverEvents(stage.view));
        XSync(display, False), SDL_Delay(50), SDL_PumpEvents();
        EXPECT_EQ(geometry(w), expected);
    }
    // On the top strip a press moves the window once the pointer moves, never on a quick click: a
    // manager handed the move of a click may hold on to the pointer.
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    host->present(stage.view); // the strip is where the field was last drawn
    auto moves = [&](std::initializer_list<SDL_Event> events) {
        for (SDL_Event e : events) SDL_PushEvent(&e), (void)host->deliverEvents(stage.view);
        int n = 0;
        for (XEvent e; XSync(display, False), XPending(display);)
            XNextEvent(display, &e), n += e.type == ClientMessage && e.xclient.data.l[2] == 8; // _NET_WM_MOVERESIZE_MOVE
        return n;
    };
    SDL_Event press{.button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_LEFT, SDL_PRESSED, 1, 0, 300, 10}};
    SDL_Event release = press, motion{.motion = {SDL_MOUSEMOTION, 0, 0, 0, SDL_BUTTON_LMASK, 301, 11}}, further = motion;
    release.type = SDL_MOUSEBUTTONUP, further.motion.x = 302;
    EXPECT_EQ(moves({press, release, motion, press, motion}), 0) << "a click, then a press that has hardly moved";
    EXPECT_EQ(moves({further}), 1);
    // A window manager owns the screen's WM_S0, or names itself on the root window.
    XSetSelectionOwner(display, XInternAtom(display, "WM_S0", False), root, CurrentTime), XSync(display, False);
    EXPECT_TRUE(hasWindowManager(w));
    XSetSelectionOwner(display, XInternAtom(display, "WM_S0", False), None, CurrentTime);
    XChangeProperty(display, root, XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&root), 1);
    XSync(display, False);
    EXPECT_TRUE(hasWindowManager(w));
    XCloseDisplay(display);
    host.reset();
    // The X server going away in play ends the game with one line and status 1.
    auto playOnAfterTheServerIsGone = [&] {
        XServer gone;
        auto lost = openHost();
        kill(gone.pid, SIGKILL);
        waitpid(gone.pid, nullptr, 0);
        for (int i = 0; i < 100; ++i) lost->present(stage.view), (void)lost->deliverEvents(stage.view), SDL_Delay(10);
    };
    EXPECT_EXIT(playOnAfterTheServerIsGone(), testing::ExitedWithCode(1), "^tarvenko: lost the X display :[0-9]+\n$");
}

// Two buffers take turns: each, when drawn, catches up on what changed in the frames the other
// showed; a new one, or one that missed too much, is drawn whole.
TEST(WaylandFrames, EachBufferCatchesUpOnWhatTheOtherShowed)
{
    using Rects = std::vector<PixelRect>;
    std::vector<std::unique_ptr<WaylandFrames::Buffer>> buffers;
    for (int i = 0; i < 2; ++i) buffers.push_back(std::make_unique<WaylandFrames::Buffer>());
    WaylandFrames::Buffer &a = *buffers[0], &b = *buffers[1];
    a.stale = b.stale = {{0, 0, 800, 600}};
    Rects first{{10, 10, 8, 8}}, second{{40, 40, 16, 8}, {0, 0, 8, 8}};
    WaylandFrames::handOver(buffers, a, &first, 800, 600);
    EXPECT_EQ(a.stale, Rects{});
    EXPECT_EQ(b.stale, (Rects{{0, 0, 800, 600}, {10, 10, 8, 8}}));
    WaylandFrames::handOver(buffers, b, &second, 800, 600);
    EXPECT_EQ(a.stale, second);
    EXPECT_EQ(b.stale, Rects{});
    WaylandFrames::handOver(buffers, a, nullptr, 800, 600);
    EXPECT_EQ(b.stale, (Rects{{0, 0, 800, 600}}));
    Rects many(300, PixelRect{1, 1, 8, 8});
    WaylandFrames::handOver(buffers, b, &many, 800, 600);
    EXPECT_EQ(a.stale, (Rects{{0, 0, 800, 600}}));
}

TEST(SDLHost, OnWaylandFramesReachTheCompositorAndItsGoingAwayIsSaid)
{
    XServer x; // weston's own window is on it
    TempDir runtime;
    chmod(runtime.dir.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.dir.c_str(), 1);
    auto weston = std::make_unique<Helper>(std::vector<const char*>{"weston", "--backend=x11-backend.so",
        "--use-pixman", "--shell=kiosk-shell.so", "--width=1000", "--height=600", "--socket=t", "--idle-time=0"});
    for (int i = 0; i < 200 && !std::filesystem::exists(runtime.dir / "t"); ++i) SDL_Delay(10);
    unsetenv("DISPLAY"), setenv("WAYLAND_DISPLAY", "t", 1);
    GameStage stage(false);
    auto host = openHost();
    ASSERT_TRUE(host) << SDL_GetError();
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "wayland");
    HeldFire::Repeat repeat = desktopKeyRepeat(theWindow());
    EXPECT_EQ(std::to_string(repeat.delay) + " " + std::to_string(repeat.interval), "0.400000 0.025000") << "weston's";
    EXPECT_TRUE(hasWindowManager(theWindow())) << "a compositor places its windows";
    // The field letterboxed on weston's 1000 × 600 output, seen in weston's window on the X server.
    Display* display = XOpenDisplay(x.display.c_str());
    auto red = [&](int px, int py) {
        XImage* image = XGetImage(display, DefaultRootWindow(display), px, py, 1, 1, AllPlanes, ZPixmap);
        int r = image ? int(XGetPixel(image, 0, 0) >> 16 & 0xFF) : -1;
        if (image) XDestroyImage(image);
        return r;
    };
    auto playUntil = [&](auto shown) { // as long as a loaded compositor needs, up to a second
        for (int i = 0; i < 100 && !shown(); ++i)
            (void)host->deliverEvents(stage.view), stage.frames(1), host->present(stage.view), SDL_Delay(10);
    };
    playUntil([&] { return red(270, 300) > 10; });
    EXPECT_NEAR(red(270, 300), 20, 6) << "the panel";
    EXPECT_EQ(red(50, 300), 0) << "the bar";
    // Devam Et: the panel goes from every buffer the compositor is given from then on; three points
    // of its middle (a star may be on one), none still the panel's grey.
    stage.click({400, 188});
    auto grey = [&](int px, int py) { return std::abs(red(px, py) - 20) < 7; };
    auto play = [&](int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            if (frame % 2) (void)host->deliverEvents(stage.view); // else the last buffer is still held: another
            stage.frames(1), host->present(stage.view), SDL_Delay(20);
            EXPECT_FALSE(frame > 5 && grey(270, 300) && grey(300, 250) && grey(250, 350)) << "frame " << frame;
        }
    };
    play(12);
    EXPECT_GT(red(500, 490), 200) << "the ship, at (400, 110) in the field";
    // Steered 96 points right, then still: shown by frames that change only in part, however late.
    stage.press(SKKey::right), play(12), stage.release(SKKey::right);
    playUntil([&] { return red(596, 490) > 200; });
    EXPECT_GT(red(596, 490), 200) << "the ship, steered to (496, 110)";
    XCloseDisplay(display);
    testing::internal::CaptureStderr();
    weston.reset();
    bool playing = true;
    for (int i = 0; i < 100 && playing; ++i) playing = host->deliverEvents(stage.view), SDL_Delay(10);
    EXPECT_TRUE(!playing && host->displayLost());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tarvenko: lost the Wayland display t\n");
}
