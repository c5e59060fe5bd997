// Random play, headless, by a restless player: fire held while steering, ships stopping and
// starting, pauses by ESC and by focus loss with lasers under the message, idle stretches and the
// frames that wake from them, panels and restarts; now and then the window has lost what it
// showed and is drawn whole. Nothing may crash, and every frame drawn only where it changed
// equals it drawn whole.
//   TARVENKO_SOAK_MINUTES=N plays N minutes instead (`make soak`: an hour under the sanitizers),
// drawing every sixth frame and comparing every sixtieth; each minute it reports the nodes and
// the memory in use, and fails if either keeps growing past its bound.
#include "GameStage.hpp"
#include "Support.hpp"

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
    Canvas kept(800, 600), whole(800, 600);
    int steering = 0, nextShot = 0, pauses = 0, mostNodes = 0;
    bool firing = false;
    [[maybe_unused]] double baselineMb = 0; // read only where resident memory means something
    for (long frame = 1, frames = soak ? std::atol(soak) * 3600 : 1500; frame <= frames; ++frame) {
        if (chance(0.02)) firing = !firing, nextShot = 0;
        if (firing && --nextShot <= 0) stage.press(SKKey::space), nextShot = 2 + int(random() % 3);
        if (chance(0.03)) {
            stage.release(steering < 0 ? SKKey::left : SKKey::right);
            if ((steering = int(random() % 3) - 1)) stage.press(steering < 0 ? SKKey::left : SKKey::right);
        }
        using enum GameScene::PlayState;
        auto state = stage.current().playState();
        if (state == playing && chance(0.01)) {
            stage.release(SKKey::left), stage.release(SKKey::right), steering = 0, ++pauses;
            chance(0.5) ? stage.press(SKKey::escape) : stage.view.windowDidResignKey();
        }
        if (state == paused && chance(0.05)) stage.press(SKKey::escape);
        if (state == warning && chance(0.05)) stage.click({400, 188});
        if (state == gameOver && chance(0.02)) stage.click({400, 220});
        double dt = GameStage::frameTime * std::uniform_real_distribution<double>(0.5, 1.5)(random);
        stage.clock.advance(dt + (stage.view.isIdle() ? std::uniform_real_distribution<double>(0, 5)(random) : 0));
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
        stage.view.render(kept.cr(), 1, !chance(0.02));
        if (soak && frame % 60) continue;
        stage.view.render(whole.cr(), 1);
        ASSERT_EQ(kept.differingPixels(whole), 0) << "frame " << frame << ", play state " << int(state);
    }
    EXPECT_GT(pauses, 5);
}
