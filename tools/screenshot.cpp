// Renders a moment of real play to a PNG: the game in a headless view, steered by a simple
// pilot that lines up under the lowest enemy and fires, caught just after a hit.
//   screenshot OUTPUT.png [PIXEL_SCALE]
#include "Clock.hpp"
#include "GameScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <cairo.h>

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

    ManualClock clock;
    SilentSoundPlayer sound;
    SKView view({800, 600}, clock, sound);
    disclaimerAccepted = true;
    auto scene = std::make_shared<GameScene>();
    scene->setSize({800, 600});
    scene->setScaleMode(SKSceneScaleMode::resizeFill);
    view.presentScene(scene);

    enum Key : std::uint16_t { space = 49, left = 123, right = 124 };
    std::int64_t lastScore = 0;
    int sinceHit = 0, sinceShot = 0;
    for (int frame = 0; frame < 60 * 120; ++frame) {
        clock.advance(1.0 / 60);
        view.tick();
        if (scene->score() != lastScore) {
            lastScore = scene->score();
            sinceHit = 0;
        }
        ++sinceHit;
        ++sinceShot;
        // A few hits in, while the last explosion is at its brightest.
        if (lastScore >= 40 && sinceHit == 14) break;
        if (!scene->player() || !scene->player()->parent()) break;

        const SKNode* target = nullptr;
        for (const auto& node : scene->children())
            if (node->name() == "enemy" && node->position().y > 250 &&
                (!target || node->position().y < target->position().y))
                target = node.get();
        view.keyUp(left);
        view.keyUp(right);
        if (!target) continue;
        double dx = target->position().x - scene->player()->position().x;
        if (dx < -6) view.keyDown(left);
        else if (dx > 6) view.keyDown(right);
        else if (sinceShot > 12) {
            view.keyDown(space);
            sinceShot = 0;
        }
    }

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(800 * pixelScale), int(600 * pixelScale));
    cairo_t* cr = cairo_create(surface);
    view.render(cr, pixelScale);
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(surface, argv[1]);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "screenshot: cannot write %s (%s)\n", argv[1], cairo_status_to_string(status));
        return 1;
    }
    std::printf("screenshot: %s, score %lld\n", argv[1], static_cast<long long>(lastScore));
    return 0;
}
