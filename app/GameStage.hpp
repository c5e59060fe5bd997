#pragma once

#include "Clock.hpp"
#include "GameScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <cairo.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The game without a window: a GameScene presented in an 800 × 600 view with a manual clock
// (frames of 1/60 s), sounds recorded or dropped, the game's resources (or others), and an image
// surface that keeps its pixels from frame to frame as the window's do. Tests, the soak, the
// benchmarks and the screenshot tool all play on it.
class GameStage {
public:
    static constexpr CGSize size{800, 600};
    static constexpr double frameTime = 1.0 / 60;

    struct Options {
        // The first scene of a run shows the warning panel; a later one goes straight to play.
        bool disclaimerAccepted = true;
        // Off for long runs, where the record would only grow.
        bool recordSounds = true;
        SKBundle resources = SKBundle::main();
        double pixelScale = 1; // pixels of the surface per point
    };

    explicit GameStage(Options options);
    explicit GameStage(bool disclaimerAccepted, const SKBundle& resources = SKBundle::main())
        : GameStage(Options{disclaimerAccepted, true, resources})
    {
    }
    ~GameStage();
    GameStage(const GameStage&) = delete;
    GameStage& operator=(const GameStage&) = delete;

    // Why the game's own resources cannot be used, if they cannot ("" when they can): a long run
    // must play with them, the explosion's particles above all, not quietly without.
    [[nodiscard]] static std::string unusableResources(const SKBundle& resources = SKBundle::main());

    // Frames of the game, each 1/60 s after the last.
    void frames(int n = 1);
    void press(std::uint16_t key) { view.keyDown(key); }
    void release(std::uint16_t key) { view.keyUp(key); }
    // In view points, origin bottom-left.
    void click(CGPoint at) { view.mouseDown(at); }
    // Draws the frame into the stage's surface, as the window does: only what changed.
    void draw();
    // False, with the reason on stderr, when the file cannot be written.
    bool writePng(const std::string& path);

    // The scene presented now: a restart replaces the one the stage started with.
    [[nodiscard]] GameScene& current() const { return static_cast<GameScene&>(*view.scene()); }
    // The presented scene's direct children of that name.
    [[nodiscard]] std::vector<std::shared_ptr<SKNode>> named(std::string_view name) const;
    [[nodiscard]] std::size_t count(std::string_view name) const { return named(name).size(); }
    // The presented scene's lasers: its children with a laser's body.
    [[nodiscard]] std::vector<std::shared_ptr<SKNode>> lasers() const;
    // Every node below the presented scene.
    [[nodiscard]] int nodeCount() const;
    // Enemies fall at random places: a check that must not be hit clears them away.
    void clearEnemies();

    ManualClock clock{1000};
    RecordingSoundPlayer sound;
    SKView view;
    std::shared_ptr<GameScene> scene; // the first scene

private:
    SilentSoundPlayer silence_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
    double pixelScale_;
};
