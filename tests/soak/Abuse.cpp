// Input abuse, headless, a minute of game time each: space repeating on every frame, all six
// keys mashed at random, clicks everywhere, ESC on every frame. Nothing may crash, the ship must
// not keep moving once every key is up, and the scene must stay small. Frame times are printed,
// not judged (benchmarks judge time).
#include "GameStage.hpp"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
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

// A restless player over many frames: fire held (repeating) while steering, ships stopping and
// starting, pauses by ESC and by focus loss with lasers under the message, idle stretches and the
// frames that wake from them, panels and restarts. Every frame drawn only where it changed, as the
// window draws (and now and then whole, as after an expose), gives the very pixels of the same
// frame drawn whole.
TEST(RandomPlay, EveryFrameDrawnInPartsEqualsItDrawnWhole)
{
    GameStage stage({.disclaimerAccepted = false, .recordSounds = false});
    std::mt19937 random(5);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
    auto surface = [] { return cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600); };
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> kept(surface(), cairo_surface_destroy),
        whole(surface(), cairo_surface_destroy);
    std::unique_ptr<cairo_t, void (*)(cairo_t*)> keptCr(cairo_create(kept.get()), cairo_destroy),
        wholeCr(cairo_create(whole.get()), cairo_destroy);
    bool firing = false;
    int steering = 0, nextShot = 0, paused = 0;
    for (int frame = 0; frame < 1500; ++frame) {
        if (chance(0.02)) firing = !firing, nextShot = 0;
        if (firing && --nextShot <= 0) stage.press(SKKey::space), nextShot = 2 + int(random() % 3);
        if (chance(0.03)) {
            int to = int(random() % 3) - 1;
            stage.release(steering < 0 ? SKKey::left : SKKey::right);
            if (to) stage.press(to < 0 ? SKKey::left : SKKey::right);
            steering = to;
        }
        auto state = stage.current().playState();
        if (state == GameScene::PlayState::playing && chance(0.01)) {
            // Both arrows let go, then paused by ESC or by another window taking the focus.
            stage.release(SKKey::left), stage.release(SKKey::right), steering = 0;
            chance(0.5) ? stage.press(SKKey::escape) : stage.view.windowDidResignKey();
            ++paused;
        } else if (state == GameScene::PlayState::paused && chance(0.05)) {
            stage.press(SKKey::escape);
        }
        if (state == GameScene::PlayState::warning && chance(0.05)) stage.click({400, 188});
        if (state == GameScene::PlayState::gameOver && chance(0.02)) stage.click({400, 220});
        // Frames come a little early or late; asleep while idle, then woken.
        double dt = GameStage::frameTime * std::uniform_real_distribution<double>(0.5, 1.5)(random);
        if (stage.view.isIdle()) dt += std::uniform_real_distribution<double>(0, 5)(random);
        stage.clock.advance(dt);
        stage.view.tick();

        // Now and then the window has lost what it showed (an expose) and is drawn whole.
        stage.view.render(keptCr.get(), 1, !chance(0.02));
        stage.view.render(wholeCr.get(), 1);
        cairo_surface_flush(kept.get());
        cairo_surface_flush(whole.get());
        const unsigned char *a = cairo_image_surface_get_data(kept.get()), *b = cairo_image_surface_get_data(whole.get());
        int stride = cairo_image_surface_get_stride(kept.get()), differing = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                auto pixel = [&](const unsigned char* p) {
                    return *reinterpret_cast<const std::uint32_t*>(p + y * stride + x * 4) & 0xffffffu;
                };
                differing += pixel(a) != pixel(b);
            }
        ASSERT_EQ(differing, 0) << "frame " << frame << ", play state " << int(state);
    }
    EXPECT_GT(paused, 5);
}
