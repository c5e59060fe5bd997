// Renders a moment of real play to a PNG: the game in a headless view, steered by a simple
// pilot that lines up under the lowest enemy and fires, caught just after a hit.
//   screenshot OUTPUT.png [PIXEL_SCALE]
#include "GameStage.hpp"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenshot OUTPUT.png [PIXEL_SCALE]\n");
        return 2;
    }
    double pixelScale = argc > 2 ? std::atof(argv[2]) : 1;
    if (pixelScale < 1 || pixelScale > 4) pixelScale = 1;

    GameStage stage({.disclaimerAccepted = true, .recordSounds = false, .pixelScale = pixelScale});
    GameScene& scene = *stage.scene;
    std::int64_t lastScore = 0;
    int sinceHit = 0, sinceShot = 0;
    for (int frame = 0; frame < 60 * 120; ++frame) {
        stage.frames();
        if (scene.score() != lastScore) {
            lastScore = scene.score();
            sinceHit = 0;
        }
        ++sinceHit;
        ++sinceShot;
        // A few hits in, while the last explosion is at its brightest.
        if (lastScore >= 40 && sinceHit == 14) break;
        if (!scene.player() || !scene.player()->parent()) break;

        const SKNode* target = nullptr;
        for (const auto& node : stage.named("enemy"))
            if (node->position().y > 250 && (!target || node->position().y < target->position().y)) target = node.get();
        stage.release(SKKey::left);
        stage.release(SKKey::right);
        if (!target) continue;
        double dx = target->position().x - scene.player()->position().x;
        if (dx < -6) stage.press(SKKey::left);
        else if (dx > 6) stage.press(SKKey::right);
        else if (sinceShot > 12) {
            stage.press(SKKey::space);
            sinceShot = 0;
        }
    }

    if (!stage.writePng(argv[1])) return 1;
    std::printf("screenshot: %s, score %lld\n", argv[1], static_cast<long long>(lastScore));
    return 0;
}
