#include "Clock.hpp"
#include "Diagnostics.hpp"
#include "Hud.hpp"
#include "MixerSoundPlayer.hpp"
#include "Process.hpp"
#include "SDLHost.hpp"
#include "SKView.hpp"
#include "TarvenkoApp.hpp"

#include <chrono>
#include <functional>
#include <string>

int main()
{
    // Init: the process's ground rules, the window, the sound, the view and the first scene.
    process::settle();
    if (std::string tight = process::tightLimit(); !tight.empty()) {
        Diagnostics::tell(tight);
        return 1;
    }
    AppDelegate delegate;
    TarvenkoApp app;
    auto host = SDLHost::open("Tarvenko", TarvenkoApp::desktopId, TarvenkoApp::windowSize,
                              TarvenkoApp::preferredFramesPerSecond, panelButtonNames);
    if (!host) return 1;
    delegate.applicationDidFinishLaunching();
    MonotonicClock clock;
    // Opens beside the window; play starts silent and the sounds join when the server answers.
    MixerSoundPlayer sound(SKBundle::main(), {.preload = {"laser.wav", "explosion.wav"},
                                              // libpulse and ALSA speak as they look for a device
                                              .around = [](const std::function<void()>& open) {
                                                  process::Hush hush;
                                                  open();
                                              }});
    SKView view(host->size(), clock, sound);
    view.setPreferredFramesPerSecond(TarvenkoApp::preferredFramesPerSecond);
    process::started();
    view.presentScene(app.scene());

    // Update and draw, at a steady 60 frames a second (or asleep while nothing moves), until the
    // window closes or Ctrl+Q.
    while (host->deliverEvents(view) || !delegate.applicationShouldTerminateAfterLastWindowClosed()) {
        view.tick();
        host->present(view);
        host->waitForNextFrame(view);
    }

    // De-init: the sound and the window go. A sound server that holds its device past a moment
    // is left behind, and everything else with it, so that quitting never waits on one.
    int status = host->displayLost() ? 1 : 0;
    if (!sound.close(std::chrono::milliseconds(500))) process::leave(status);
    return status;
}
