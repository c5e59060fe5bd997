#include "Diagnostics.hpp"
#include "Letterbox.hpp"
#include "Process.hpp"
#include "Support.hpp"
#include "TarvenkoApp.hpp"

#include <SDL.h>

#include <csignal>

TEST(Letterbox, TheViewFillsWhatFitsCentredClicksComeBackThroughItAndWindowsOpenAtTheDesktopsScale)
{
    constexpr CGSize view{800, 600};
    EXPECT_EQ(Letterbox::fit(view, 800, 600), (Letterbox{1, {0, 0}}));
    EXPECT_EQ(Letterbox::fit(view, 1600, 1200), (Letterbox{2, {0, 0}})) << "HiDPI: twice the pixels";
    EXPECT_EQ(Letterbox::fit(view, 1280, 720), (Letterbox{1.2, {160, 0}})) << "bars left and right";
    EXPECT_EQ(Letterbox::fit(view, 800, 1000), (Letterbox{1, {0, 200}})) << "bars above and below";
    EXPECT_EQ(Letterbox::fit(view, 640, 480), (Letterbox{0.8, {0, 0}}));
    Letterbox wide = Letterbox::fit(view, 1280, 720);
    EXPECT_EQ(wide.toView({160, 0}, view), (CGPoint{0, 600})) << "the view's top-left corner";
    EXPECT_EQ(wide.toView({640, 360}, view), (CGPoint{400, 300}));
    EXPECT_EQ(wide.toView({640, 720 - 188 * 1.2}, view), (CGPoint{400, 188})) << "Devam Et";
    EXPECT_LT(wide.toView({100, 360}, view).x, 0) << "a click on a bar lands outside the view";
    // The window: the desktop's scale, or the largest that fits; no area known: the desktop's.
    EXPECT_EQ(windowScale(view, 1, {1920, 1080}), 1);
    EXPECT_EQ(windowScale(view, 2, {1920, 1200}), 2);
    EXPECT_DOUBLE_EQ(windowScale(view, 2, {1920, 1080}), 1.8) << "GDK_SCALE=2 on a 1080p screen";
    EXPECT_DOUBLE_EQ(windowScale(view, 1, {640, 480}), 0.8) << "below 1 on a small screen";
    EXPECT_DOUBLE_EQ(windowScale(view, 1, {1024, 500}), 500.0 / 600) << "the tighter side decides";
    EXPECT_EQ(windowScale(view, 2, {0, 0}), 2);
}

// The ground laid first in main: closed streams on /dev/null, a reader gone no end, a stop signal
// ending start-up at once with status 0 and, once started, handed to the frame loop as a quit;
// libraries hushed while the game's own lines still get through.
TEST(Process, StreamsSignalsAndHushedLibraries)
{
    auto onNull = [](int fd) { return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)) == "/dev/null"; };
    auto stoppedInStartUp = [&] {
        close(0), close(1);
        process::settle();
        int ends[2];
        if (pipe(ends) != 0 || close(ends[0]) != 0 || write(ends[1], "x", 1) != -1 || !onNull(0) || !onNull(1)) _exit(3);
        raise(SIGTERM);
        _exit(4);
    };
    EXPECT_EXIT(stoppedInStartUp(), testing::ExitedWithCode(0), "");
    auto stoppedInPlay = [] {
        process::settle(), process::started();
        raise(SIGTERM);
        SDL_Event e;
        _exit(SDL_PollEvent(&e) && e.type == SDL_QUIT ? 7 : 8);
    };
    EXPECT_EXIT(stoppedInPlay(), testing::ExitedWithCode(7), "");
    testing::internal::CaptureStderr();
    {
        process::Hush hush;
        std::fputs("a library's chatter\n", stderr), std::fflush(stderr);
        Diagnostics::tell("the game's line");
    }
    std::fputs("after\n", stderr), std::fflush(stderr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tarvenko: the game's line\nafter\n");
}
