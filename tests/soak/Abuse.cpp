// Input abuse, headless, a minute of game time each: space repeating on every frame, all six
// keys mashed at random, clicks everywhere, ESC on every frame. Nothing may crash, the ship must
// not keep moving once every key is up, and the scene must stay small. Frame times are printed,
// not judged (benchmarks judge time).
#include "GameStage.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>

namespace {

struct Abuse : GameStage {
    std::vector<double> frameMs;
    int mostNodes = 0;

    Abuse() : GameStage(true) { EXPECT_EQ(unusableResources(), "") << "the abuse plays with the game's own resources"; }
    GameScene& scene() { return current(); }

    // A minute of frames, with the input given before each.
    void minute(const std::function<void(int frame)>& input, const char* name)
    {
        for (int frame = 0; frame < 3600; ++frame) {
            input(frame);
            auto start = std::chrono::steady_clock::now();
            frames();
            draw();
            frameMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            mostNodes = std::max(mostNodes, nodeCount());
        }
        std::sort(frameMs.begin(), frameMs.end());
        std::printf("%s: frame p50 %.3f ms, p99 %.3f ms, worst %.3f ms; at most %d nodes\n", name,
                    frameMs[frameMs.size() / 2], frameMs[frameMs.size() * 99 / 100], frameMs.back(), mostNodes);
        frameMs.clear();
    }
};

} // namespace

TEST(InputAbuse, SpaceRepeatingEveryFrameForAMinute)
{
    Abuse a;
    long pressesInPlay = 0;
    a.minute(
        [&](int) {
            pressesInPlay += !a.scene().isGamePaused();
            a.view.keyDown(SKKey::space);
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
    const std::uint16_t keys[] = {SKKey::a, SKKey::d, SKKey::space, SKKey::escape, SKKey::left, SKKey::right};
    a.minute(
        [&](int) {
            for (int i = 0; i < 3; ++i) (random() % 2 ? a.view.keyDown(keys[random() % 6]) : a.view.keyUp(keys[random() % 6]));
            if ((a.scene().playState() == GameScene::PlayState::gameOver)) a.view.mouseDown({400, 220});
        },
        "six keys mashed");
    for (std::uint16_t key : keys) a.view.keyUp(key);
    if (a.scene().isGamePaused() && !(a.scene().playState() == GameScene::PlayState::gameOver)) a.view.keyDown(SKKey::escape);
    EXPECT_FALSE(a.scene().isMovingLeft());
    EXPECT_FALSE(a.scene().isMovingRight());
    if (auto ship = a.scene().player()) {
        CGPoint at = ship->position();
        a.frames(10);
        EXPECT_EQ(ship->position(), at) << "no key held, no movement";
    }
}

TEST(InputAbuse, ClicksEverywhereAndEscOnEveryFrame)
{
    Abuse a;
    std::mt19937 random(11);
    a.minute([&](int) { a.view.mouseDown({double(random() % 800), double(random() % 600)}); }, "clicks everywhere");
    a.minute([&](int) { a.view.keyDown(SKKey::escape); }, "ESC every frame");
    // An even number of presses in play leaves it playing (unless the game ended meanwhile).
    if (!(a.scene().playState() == GameScene::PlayState::gameOver)) {
        EXPECT_FALSE(a.scene().isGamePaused());
        EXPECT_TRUE(a.scene().pauseLabel()->isHidden());
    }
}
