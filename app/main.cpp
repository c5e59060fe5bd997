#include "Clock.hpp"
#include "DemoScene.hpp"
#include "FramePacer.hpp"
#include "MixerSoundPlayer.hpp"
#include "SDLHost.hpp"
#include "SKView.hpp"

int main()
{
    // Init: the window, the sound, the view and its first scene.
    auto host = SDLHost::open("Tarvenko", {800, 600});
    if (!host) return 1;
    MonotonicClock clock;
    MixerSoundPlayer sound;
    SKView view(host->size(), clock, sound);
    auto scene = std::make_shared<DemoScene>(host->size());
    scene->setScaleMode(SKSceneScaleMode::resizeFill);
    view.presentScene(scene);

    // Update and draw, 60 times a second, until the window closes.
    FramePacer pacer(60);
    while (host->deliverEvents(view)) {
        view.tick();
        host->present(view);
        pacer.waitForNextFrame();
    }

    // De-init: the view lets go of its scene before the sound and the window go.
    return 0;
}
