// A long headless game with random input: keys held and let go, shots, pauses, panel buttons
// and restarts after each game over. Every simulated minute it reports the node count and the
// memory in use, and fails if either keeps growing past its bound.
//   soak MINUTES [SEED]
#include "Clock.hpp"
#include "GameScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <cairo.h>

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

int countNodes(SKScene& scene)
{
    int n = 0;
    scene.enumerateChildNodesWithName("//*", [&](SKNode&, bool&) { ++n; });
    return n;
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

    ManualClock clock(1000);
    SilentSoundPlayer sound;
    SKView view({800, 600}, clock, sound);
    disclaimerAccepted = false;
    auto first = std::make_shared<GameScene>(CGSize{800, 600});
    first->setScaleMode(SKSceneScaleMode::resizeFill);
    view.presentScene(first);
    first.reset();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
    cairo_t* cr = cairo_create(surface);

    const std::uint16_t keys[] = {0, 2, 49, 53, 123, 124};
    const long framesPerMinute = 60 * 60;
    double baselineMb = 0;
    int mostNodes = 0, games = 1;
    bool failed = false;
    for (long frame = 1; frame <= minutes * framesPerMinute; ++frame) {
        // Random input between frames, about what a restless player does.
        if (chance(0.08)) view.keyDown(keys[random() % 6]);
        if (chance(0.08)) view.keyUp(keys[random() % 6]);
        if (chance(0.002)) view.keyDown(53);
        if (chance(0.01)) view.mouseDown({double(random() % 800), double(random() % 600)});
        auto& scene = static_cast<GameScene&>(*view.scene());
        if (scene.childNodeWithName("disclaimerPanel") && chance(0.02)) view.mouseDown({400, 188});
        if (scene.childNodeWithName("restartButton") && chance(0.01)) view.mouseDown({400, 220}), ++games;

        clock.advance(1.0 / 60);
        view.tick();
        if (frame % 6 == 0) view.render(cr, 1, true); // into kept pixels, as the window draws
        mostNodes = std::max(mostNodes, countNodes(*view.scene()));

        if (frame % framesPerMinute == 0) {
            long minute = frame / framesPerMinute;
            double mb = residentMb(), spritesMb = view.renderer().sprites().bytes() / double(1 << 20);
            // The sprite cache fills up to its budget by design; everything else must stay flat.
            if (minute == 2) baselineMb = mb - spritesMb;
            std::printf("minute %ld: %d nodes (most %d), %.1f MB resident of which %.1f MB sprites, %d games\n",
                        minute, countNodes(*view.scene()), mostNodes, mb, spritesMb, games);
            std::fflush(stdout);
            if (mostNodes > 3000) failed = true;
            if (memoryIsMeaningful && baselineMb > 0 && mb - spritesMb > baselineMb + 16) failed = true;
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    std::printf("%ld frames, %d games, at most %d nodes: %s\n", minutes * framesPerMinute, games, mostNodes,
                failed ? "FAILED" : "bounded");
    return failed ? 1 : 0;
}
