#include "Clock.hpp"
#include "FramePacer.hpp"
#include "Hud.hpp"
#include "MixerSoundPlayer.hpp"
#include "SDLHost.hpp"
#include "SKView.hpp"
#include "TarvenkoApp.hpp"

int main()
{
    // Init: the window, the sound, the view and the first scene.
    AppDelegate delegate;
    TarvenkoApp app;
    auto host = SDLHost::open("Tarvenko", TarvenkoApp::windowSize, panelButtonNames);
    if (!host) return 1;
    delegate.applicationDidFinishLaunching();
    MonotonicClock clock;
    MixerSoundPlayer sound;
    sound.preload({"laser.wav", "explosion.wav"});
    SKView view(host->size(), clock, sound);
    view.presentScene(app.scene());

    // Update and draw, at a steady 60 frames a second, until the window closes.
    FramePacer pacer(TarvenkoApp::preferredFramesPerSecond);
    while (host->deliverEvents(view) || !delegate.applicationShouldTerminateAfterLastWindowClosed()) {
        view.tick();
        host->present(view);
        pacer.waitForNextFrame();
    }

    // De-init: the view lets go of its scene before the sound and the window go.
    return 0;
}
