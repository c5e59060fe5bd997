#include "Clock.hpp"
#include "Hud.hpp"
#include "MixerSoundPlayer.hpp"
#include "Process.hpp"
#include "SDLHost.hpp"
#include "SKView.hpp"
#include "TarvenkoApp.hpp"

#include <optional>

int main()
{
    // Init: the process's ground rules, the window, the sound, the view and the first scene.
    process::settle();
    AppDelegate delegate;
    TarvenkoApp app;
    auto host = SDLHost::open("Tarvenko", TarvenkoApp::desktopId, TarvenkoApp::windowSize,
                              TarvenkoApp::preferredFramesPerSecond, panelButtonNames);
    if (!host) return 1;
    delegate.applicationDidFinishLaunching();
    MonotonicClock clock;
    std::optional<MixerSoundPlayer> sound;
    {
        process::Hush hush; // libpulse and ALSA speak as they look for a device
        sound.emplace();
    }
    sound->preload({"laser.wav", "explosion.wav"});
    SKView view(host->size(), clock, *sound);
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

    // De-init: the view lets go of its scene before the sound and the window go.
    return host->displayLost() ? 1 : 0;
}
