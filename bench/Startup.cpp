// Time from process start to the first frame shown, through the game's own start-up: window,
// sound, view, the first scene's start-up, one frame drawn and shown.
//   startup T0   (T0: CLOCK_REALTIME in nanoseconds, taken just before this process started)
#include "Clock.hpp"
#include "MixerSoundPlayer.hpp"
#include "SDLHost.hpp"
#include "SKView.hpp"
#include "Hud.hpp"
#include "TarvenkoApp.hpp"

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup T0_NANOSECONDS\n");
        return 2;
    }
    long long start = std::atoll(argv[1]);
    TarvenkoApp app;
    auto host = SDLHost::open("Tarvenko", TarvenkoApp::desktopId, TarvenkoApp::windowSize, TarvenkoApp::preferredFramesPerSecond, panelButtonNames);
    if (!host) return 1;
    MonotonicClock clock;
    MixerSoundPlayer sound;
    SKView view(host->size(), clock, sound);
    view.presentScene(app.scene());
    (void)host->deliverEvents(view);
    view.tick();
    host->present(view);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    double ms = (now.tv_sec * 1e9 + now.tv_nsec - double(start)) / 1e6;
    std::printf("startup first_frame_ms=%.1f\n", ms);
    return 0;
}
