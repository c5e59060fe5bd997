#include "Clock.hpp"
#include "CommandLine.hpp"
#include "Diagnostics.hpp"
#include "Hud.hpp"
#include "MixerSoundPlayer.hpp"
#include "Process.hpp"
#include "SDLHost.hpp"
#include "Settings.hpp"
#include "SKView.hpp"
#include "TarvenkoApp.hpp"

#include <SDL_hints.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

int main(int argc, char** argv)
{
    CommandLine line = CommandLine::parse(argc, argv);
    if (line.action == CommandLine::Action::help || line.action == CommandLine::Action::version) {
        std::signal(SIGPIPE, SIG_IGN); // `tarvenko --help | head -1`
        return std::fputs(line.text.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
    }
    if (line.action == CommandLine::Action::refuse) {
        Diagnostics::tell(line.text);
        return 2;
    }
    // Init: the process's ground rules, the player's choices, the window, the sound, the view and
    // the first scene.
    process::settle();
    if (std::string tight = process::tightLimit(); !tight.empty()) {
        Diagnostics::tell(tight);
        return 1;
    }
    Settings settings;
    Choices remembered = settings.load();
    AppDelegate delegate;
    TarvenkoApp app;
    auto host = SDLHost::open("Tarvenko", TarvenkoApp::desktopId, TarvenkoApp::windowSize,
                              TarvenkoApp::preferredFramesPerSecond, panelButtonNames);
    if (!host) return 1;
    host->setIcon(SKBundle::main().directory().parent_path() / "icons" / "hicolor");
    if (line.fullscreen.value_or(remembered.fullscreen)) host->toggleFullscreen();
    delegate.applicationDidFinishLaunching();
    MonotonicClock clock;
    // The desktop's volume control shows the stream by the game's name and icon, as a game's.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tarvenko");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Tarvenko");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game");
    setenv("PULSE_PROP", "application.icon_name=tarvenko media.role=game", 0); // what SDL does not pass on
    // Opens beside the window; play starts silent and the sounds join when the server answers.
    MixerSoundPlayer sound(SKBundle::main(), {.preload = {"laser.wav", "explosion.wav"},
                                              // libpulse and ALSA speak as they look for a device
                                              .around = [](const std::function<void()>& open) {
                                                  process::Hush hush;
                                                  open();
                                              }});
    sound.setMuted(!remembered.sound);
    SKView view(host->size(), clock, sound);
    view.setPreferredFramesPerSecond(TarvenkoApp::preferredFramesPerSecond);
    process::started();
    view.presentScene(app.scene());

    // Update and draw, at a steady 60 frames a second (or asleep while nothing moves), until the
    // window closes or Ctrl+Q.
    Choices shown{host->isFullscreen(), !sound.isMuted()}; // the command line's, this run only
    while (host->deliverEvents(view) || !delegate.applicationShouldTerminateAfterLastWindowClosed()) {
        // A choice the player made (F11, M) is kept; the other stays as remembered.
        if (Choices now{host->isFullscreen(), !sound.isMuted()}; now != shown) {
            if (now.fullscreen != shown.fullscreen) remembered.fullscreen = now.fullscreen;
            if (now.sound != shown.sound) remembered.sound = now.sound;
            shown = now;
            settings.save(remembered);
        }
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
