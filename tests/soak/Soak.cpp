// A long headless game with random input: keys held and let go, shots, pauses, panel buttons
// and restarts after each game over. Every simulated minute it reports the node count and the
// memory in use, and fails if either keeps growing past its bound.
//   soak MINUTES [SEED]
#include "GameStage.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer holds freed memory back for a while: resident memory says nothing about
// leaks there, and its leak check at exit says all.
constexpr bool memoryIsMeaningful = false;
#else
constexpr bool memoryIsMeaningful = true;
#endif

double residentMb()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * 4096.0 / (1 << 20);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak MINUTES [SEED]\n");
        return 2;
    }
    const int minutes = std::atoi(argv[1]);
    std::mt19937 random(argc > 2 ? unsigned(std::atoi(argv[2])) : 20261206u);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };

    if (std::string unusable = GameStage::unusableResources(); !unusable.empty()) {
        std::fprintf(stderr, "soak: %s; it plays with the game's own resources only\n", unusable.c_str());
        return 1;
    }
    GameStage stage({.disclaimerAccepted = false, .recordSounds = false});
    stage.scene.reset(); // a restart must free the first scene

    const std::uint16_t keys[] = {SKKey::a, SKKey::d, SKKey::space, SKKey::escape, SKKey::left, SKKey::right};
    const long framesPerMinute = 60 * 60;
    double baselineMb = 0;
    int mostNodes = 0, games = 1;
    bool failed = false;
    for (long frame = 1; frame <= minutes * framesPerMinute; ++frame) {
        // Random input between frames, about what a restless player does.
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

        if (frame % framesPerMinute == 0) {
            long minute = frame / framesPerMinute;
            double mb = residentMb(), spritesMb = stage.view.renderStats().spriteBytes / double(1 << 20);
            // The sprite cache fills up to its budget by design; everything else must stay flat.
            if (minute == 2) baselineMb = mb - spritesMb;
            std::printf("minute %ld: %d nodes (most %d), %.1f MB resident of which %.1f MB sprites, %d games\n",
                        minute, stage.nodeCount(), mostNodes, mb, spritesMb, games);
            std::fflush(stdout);
            if (mostNodes > 3000) failed = true;
            if (memoryIsMeaningful && baselineMb > 0 && mb - spritesMb > baselineMb + 16) failed = true;
        }
    }
    std::printf("%ld frames, %d games, at most %d nodes: %s\n", minutes * framesPerMinute, games, mostNodes,
                failed ? "FAILED" : "bounded");
    return failed ? 1 : 0;
}
