// A long headless game with random input: keys held and let go, shots, pauses, panel buttons
// and restarts after each game over. Every simulated minute it reports the node count and the
// memory in use, and fails if either keeps growing past its bound.
//   soak MINUTES [SEED]
#include "GameStage.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

int main(int argc, char** argv)
{
    if (argc < 2) return std::fprintf(stderr, "usage: soak MINUTES [SEED]\n"), 2;
    if (std::string unusable = GameStage::unusableResources(); !unusable.empty())
        return std::fprintf(stderr, "soak: %s; it plays with the game's own resources only\n", unusable.c_str()), 1;
    const long minutes = std::atoi(argv[1]), framesPerMinute = 60 * 60;
    std::mt19937 random(argc > 2 ? unsigned(std::atoi(argv[2])) : 20261206u);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
    GameStage stage({.disclaimerAccepted = false, .recordSounds = false});
    stage.scene.reset(); // a restart must free the first scene
    const std::uint16_t keys[] = {SKKey::a, SKKey::d, SKKey::space, SKKey::escape, SKKey::left, SKKey::right};
    double baselineMb = 0;
    int mostNodes = 0, games = 1;
    bool failed = false;
    for (long frame = 1; frame <= minutes * framesPerMinute; ++frame) {
        if (chance(0.08)) stage.press(keys[random() % 6]);
        if (chance(0.08)) stage.release(keys[random() % 6]);
        if (chance(0.002)) stage.press(SKKey::escape);
        if (chance(0.01)) stage.click({double(random() % 800), double(random() % 600)});
        auto state = stage.current().playState();
        if (state == GameScene::PlayState::warning && chance(0.02)) stage.click({400, 188});
        if (state == GameScene::PlayState::gameOver && chance(0.01)) stage.click({400, 220}), ++games;
        stage.frames();
        if (frame % 6 == 0) stage.draw();
        mostNodes = std::max(mostNodes, stage.nodeCount());
        if (frame % framesPerMinute) continue;
        long pages = 0, resident = 0;
        std::ifstream("/proc/self/statm") >> pages >> resident;
        // The sprite cache fills up to its budget by design; everything else must stay flat.
        double mb = resident * 4096.0 / (1 << 20), spritesMb = stage.view.renderStats().spriteBytes / double(1 << 20);
        if (frame == 2 * framesPerMinute) baselineMb = mb - spritesMb;
        std::printf("minute %ld: %d nodes (most %d), %.1f MB resident of which %.1f MB sprites, %d games\n",
                    frame / framesPerMinute, stage.nodeCount(), mostNodes, mb, spritesMb, games);
        std::fflush(stdout);
        failed |= mostNodes > 3000;
#if !defined(__SANITIZE_ADDRESS__) // which holds freed memory back; its leak check at exit says all
        failed |= baselineMb > 0 && mb - spritesMb > baselineMb + 16;
#endif
    }
    std::printf("%ld frames, %d games, at most %d nodes: %s\n", minutes * framesPerMinute, games, mostNodes,
                failed ? "FAILED" : "bounded");
    return failed ? 1 : 0;
}
