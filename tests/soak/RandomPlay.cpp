// Random play, headless, by a restless player: fire held while steering, ships stopping and
// starting, pauses by ESC and by focus loss with lasers under the message, idle stretches and the
// frames that wake from them, panels and restarts; now and then the window has lost what it
// showed and is drawn whole. Nothing may crash, and every frame drawn only where it changed
// equals it drawn whole.
//   TARVENKO_SOAK_MINUTES=N plays N minutes instead (`make soak`: an hour under the sanitizers),
// drawing every sixth frame and comparing every sixtieth; each minute it reports the nodes and
// the memory in use, and fails if either keeps growing past its bound.
#include "GameStage.hpp"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

TEST(RandomPlay, EveryFrameDrawnInPartsEqualsItDrawnWhole)
{
    const char* soak = std::getenv("TARVENKO_SOAK_MINUTES");
    ASSERT_TRUE(!soak || GameStage::unusableResources().empty()) << "a soak needs the game's own resources: "
                                                                 << GameStage::unusableResources();
    GameStage stage({.disclaimerAccepted = false, .recordSounds = false});
    stage.scene.reset(); // a restart must free the first scene
    std::mt19937 random(5);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
    cairo_surface_t* surfaces[] = {cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600),
                                   cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600)};
    cairo_t* kept = cairo_create(surfaces[0]);
    cairo_t* whole = cairo_create(surfaces[1]);
    bool firing = false;
    int steering = 0, nextShot = 0, paused = 0, mostNodes = 0;
    [[maybe_unused]] double baselineMb = 0; // read only where resident memory means something
    for (long frame = 1, frames = soak ? std::atol(soak) * 3600 : 1500; frame <= frames; ++frame) {
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
        if (soak) mostNodes = std::max(mostNodes, stage.nodeCount());
        if (soak && frame % 3600 == 0) {
            long pages = 0, resident = 0;
            std::ifstream("/proc/self/statm") >> pages >> resident;
            // The sprite cache fills up to its budget by design; everything else must stay flat.
            double mb = resident * 4096.0 / (1 << 20), spritesMb = stage.view.renderStats().spriteBytes / double(1 << 20);
            if (frame == 2 * 3600) baselineMb = mb - spritesMb;
            std::printf("minute %ld: %d nodes (most %d), %.1f MB resident of which %.1f MB sprites\n", frame / 3600,
                        stage.nodeCount(), mostNodes, mb, spritesMb);
            ASSERT_LT(mostNodes, 3000);
#if !defined(__SANITIZE_ADDRESS__) // which holds freed memory back; its leak check at exit says all
            ASSERT_FALSE(baselineMb > 0 && mb - spritesMb > baselineMb + 16) << "memory keeps growing";
#endif
        }
        if (soak && frame % 6) continue;
        stage.view.render(kept, 1, !chance(0.02));
        if (soak && frame % 60) continue;
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
