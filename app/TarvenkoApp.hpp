#pragma once

#include "SKBundle.hpp"
#include "SKScene.hpp"

#include <memory>

// What the window shows: its fixed size and frame rate, and the first scene.
class TarvenkoApp {
public:
    static constexpr CGSize windowSize{800, 600};
    static constexpr int preferredFramesPerSecond = 60;
    // What the desktop knows the game by: its menu entry, its software-centre listing and its
    // window's class (so a dock shows the game's icon for it). A placeholder until the project
    // has a domain of its own.
    static constexpr const char* desktopId = "org.tarvenko.Tarvenko";

    explicit TarvenkoApp(const SKBundle& bundle = SKBundle::main()) : bundle_(bundle) {}

    // The first scene: made by the scene factory the first time it is asked for, then kept for
    // the life of the application (a restart presents a new scene without touching this one).
    [[nodiscard]] const std::shared_ptr<SKScene>& scene();

private:
    [[nodiscard]] std::shared_ptr<SKScene> makeScene() const;

    SKBundle bundle_;
    std::shared_ptr<SKScene> scene_;
};

// The application's delegate: the process ends when its one window closes.
class AppDelegate {
public:
    void applicationDidFinishLaunching() {}
    [[nodiscard]] bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
};
