#pragma once

#include "Clock.hpp"
#include "GameScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <string>
#include <vector>

// A GameScene presented in a headless 800 x 600 view with a manual clock (frames of 1/60 s),
// a recording sound player and the game's resources (or others).
struct GameStage {
    static constexpr double frameTime = 1.0 / 60;
    enum Key : std::uint16_t { A = 0, D = 2, Space = 49, Esc = 53, Left = 123, Right = 124 };

    ManualClock clock{1000};
    RecordingSoundPlayer sound;
    SKView view;
    std::shared_ptr<GameScene> scene;

    // The first scene of a run shows the warning panel; a later one goes straight to play.
    explicit GameStage(bool disclaimerAlreadyAccepted, const SKBundle& resources = SKBundle::main())
        : view({800, 600}, clock, sound, resources)
    {
        disclaimerAccepted = disclaimerAlreadyAccepted;
        scene = std::make_shared<GameScene>();
        scene->setSize({800, 600});
        scene->setScaleMode(SKSceneScaleMode::resizeFill);
        view.presentScene(scene);
    }

    void frames(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            clock.advance(frameTime);
            view.tick();
        }
    }
    void press(std::uint16_t key) { view.keyDown(key); }
    void release(std::uint16_t key) { view.keyUp(key); }
    void click(CGPoint at) { view.mouseDown(at); }

    [[nodiscard]] std::vector<std::shared_ptr<SKNode>> named(const std::string& name) const
    {
        std::vector<std::shared_ptr<SKNode>> found;
        for (auto& child : scene->children())
            if (child->name() == name) found.push_back(child);
        return found;
    }
    [[nodiscard]] std::size_t count(const std::string& name) const { return named(name).size(); }
    // Enemies fall at random places: a test that must not be hit clears them away.
    void clearEnemies()
    {
        for (auto& enemy : named("enemy")) enemy->removeFromParent();
    }
    // The scene presented now: a restart replaces the one this stage started with.
    [[nodiscard]] GameScene& current() const { return static_cast<GameScene&>(*view.scene()); }
    // Lasers are the scene's children with a laser body.
    [[nodiscard]] std::vector<std::shared_ptr<SKNode>> lasers() const
    {
        std::vector<std::shared_ptr<SKNode>> found;
        for (auto& child : scene->children())
            if (child->physicsBody() && child->physicsBody()->categoryBitMask() == PhysicsCategory::laser)
                found.push_back(child);
        return found;
    }
};
