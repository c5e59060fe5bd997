// Input abuse, headless, a minute of game time each: space repeating on every frame, all six
// keys mashed at random, clicks everywhere, ESC on every frame. Nothing may crash, the ship must
// not keep moving once every key is up, and the scene must stay small. Frame times are printed,
// not judged (benchmarks judge time).
#include "Clock.hpp"
#include "GameScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>

namespace {

struct Abuse {
    ManualClock clock{1000};
    RecordingSoundPlayer sound;
    SKView view{{800, 600}, clock, sound};
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
    cairo_t* cr = cairo_create(surface);
    std::vector<double> frameMs;
    int mostNodes = 0;

    Abuse()
    {
        disclaimerAccepted = true;
        auto scene = std::make_shared<GameScene>(CGSize{800, 600});
        scene->setScaleMode(SKSceneScaleMode::resizeFill);
        view.presentScene(scene);
    }
    ~Abuse()
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    GameScene& scene() { return static_cast<GameScene&>(*view.scene()); }

    // A minute of frames, with the input given before each.
    void minute(const std::function<void(int frame)>& input, const char* name)
    {
        for (int frame = 0; frame < 3600; ++frame) {
            input(frame);
            auto start = std::chrono::steady_clock::now();
            clock.advance(1.0 / 60);
            view.tick();
            view.render(cr, 1, true); // the surface keeps its frame, as the window does
            frameMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            int nodes = 0;
            scene().enumerateChildNodesWithName("//*", [&](SKNode&, bool&) { ++nodes; });
            mostNodes = std::max(mostNodes, nodes);
        }
        std::sort(frameMs.begin(), frameMs.end());
        std::printf("%s: frame p50 %.3f ms, p99 %.3f ms, worst %.3f ms; at most %d nodes\n", name,
                    frameMs[frameMs.size() / 2], frameMs[frameMs.size() * 99 / 100], frameMs.back(), mostNodes);
        frameMs.clear();
    }
};

enum Key : std::uint16_t { A = 0, D = 2, Space = 49, Esc = 53, Left = 123, Right = 124 };

} // namespace

TEST(InputAbuse, SpaceRepeatingEveryFrameForAMinute)
{
    Abuse a;
    long pressesInPlay = 0;
    a.minute(
        [&](int) {
            pressesInPlay += !a.scene().isGamePaused();
            a.view.keyDown(Space);
        },
        "space every frame");
    // A shot lives one second: about sixty in the air, plus the game's own nodes.
    EXPECT_LT(a.mostNodes, 400);
    auto shots = std::count(a.sound.played().begin(), a.sound.played().end(), "laser.wav");
    EXPECT_EQ(shots, pressesInPlay) << "every repeat in play fired, however soon the game ended";
    EXPECT_GT(pressesInPlay, 60);
}

TEST(InputAbuse, SixKeysMashedThenLetGoLeaveTheShipStill)
{
    Abuse a;
    std::mt19937 random(7);
    const std::uint16_t keys[] = {A, D, Space, Esc, Left, Right};
    a.minute(
        [&](int) {
            for (int i = 0; i < 3; ++i) (random() % 2 ? a.view.keyDown(keys[random() % 6]) : a.view.keyUp(keys[random() % 6]));
            if (a.scene().childNodeWithName("restartButton")) a.view.mouseDown({400, 220});
        },
        "six keys mashed");
    for (std::uint16_t key : keys) a.view.keyUp(key);
    if (a.scene().isGamePaused() && !a.scene().childNodeWithName("restartButton")) a.view.keyDown(Esc);
    EXPECT_FALSE(a.scene().isMovingLeft());
    EXPECT_FALSE(a.scene().isMovingRight());
    if (auto ship = a.scene().player()) {
        CGPoint at = ship->position();
        for (int i = 0; i < 10; ++i) a.clock.advance(1.0 / 60), a.view.tick();
        EXPECT_EQ(ship->position(), at) << "no key held, no movement";
    }
}

TEST(InputAbuse, ClicksEverywhereAndEscOnEveryFrame)
{
    Abuse a;
    std::mt19937 random(11);
    a.minute([&](int) { a.view.mouseDown({double(random() % 800), double(random() % 600)}); }, "clicks everywhere");
    a.minute([&](int) { a.view.keyDown(Esc); }, "ESC every frame");
    // An even number of presses in play leaves it playing (unless the game ended meanwhile).
    if (!a.scene().childNodeWithName("restartButton")) {
        EXPECT_FALSE(a.scene().isGamePaused());
        EXPECT_TRUE(a.scene().pauseLabel()->isHidden());
    }
}
