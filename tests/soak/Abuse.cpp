// Random play, headless: nothing may crash, and every frame drawn only where it changed equals
// it drawn whole.
#include "GameStage.hpp"

#include <cairo.h>
#include <gtest/gtest.h>

#include <random>

// A restless player: fire held while steering, ships stopping and starting, pauses by ESC and by
// focus loss with lasers under the message, idle stretches and the frames that wake from them,
// panels and restarts; now and then the window has lost what it showed and is drawn whole.
TEST(RandomPlay, EveryFrameDrawnInPartsEqualsItDrawnWhole)
{
    GameStage stage({.disclaimerAccepted = false, .recordSounds = false});
    std::mt19937 random(5);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
    cairo_surface_t* surfaces[] = {cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600),
                                   cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600)};
    cairo_t* kept = cairo_create(surfaces[0]);
    cairo_t* whole = cairo_create(surfaces[1]);
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
            stage.release(SKKey::left), stage.release(SKKey::right), steering = 0;
            chance(0.5) ? stage.press(SKKey::escape) : stage.view.windowDidResignKey();
            ++paused;
        } else if (state == GameScene::PlayState::paused && chance(0.05)) {
            stage.press(SKKey::escape);
        }
        if (state == GameScene::PlayState::warning && chance(0.05)) stage.click({400, 188});
        if (state == GameScene::PlayState::gameOver && chance(0.02)) stage.click({400, 220});
        double dt = GameStage::frameTime * std::uniform_real_distribution<double>(0.5, 1.5)(random);
        if (stage.view.isIdle()) dt += std::uniform_real_distribution<double>(0, 5)(random);
        stage.clock.advance(dt);
        stage.view.tick();
        stage.view.render(kept, 1, !chance(0.02));
        stage.view.render(whole, 1);
        cairo_surface_flush(surfaces[0]), cairo_surface_flush(surfaces[1]);
        auto* a = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surfaces[0]));
        auto* b = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surfaces[1]));
        int differing = 0;
        for (int i = 0; i < 800 * 600; ++i) differing += ((a[i] ^ b[i]) & 0xffffffu) != 0;
        ASSERT_EQ(differing, 0) << "frame " << frame << ", play state " << int(state);
    }
    EXPECT_GT(paused, 5);
    cairo_destroy(kept), cairo_destroy(whole);
    for (auto* s : surfaces) cairo_surface_destroy(s);
}
