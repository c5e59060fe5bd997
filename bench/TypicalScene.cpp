// The typical scene: the real game, headless, played by a script (steering, two shots a second,
// hits, one pause) for 600 measured frames after 60 of warm-up.
// Prints: typical mean_ms=… p50_ms=… p99_ms=…
#include "AllocationCounter.hpp"
#include "Clock.hpp"
#include "GameScene.hpp"
#include "SKEmitterNode.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"
#include "Stats.hpp"

#include <cairo.h>

#include <chrono>
#include <cstdio>
#include <vector>

int main()
{
    ManualClock clock(1000);
    SilentSoundPlayer sound;
    SKView view({800, 600}, clock, sound);
    disclaimerAccepted = true;
    auto scene = std::make_shared<GameScene>(CGSize{800, 600});
    scene->setScaleMode(SKSceneScaleMode::resizeFill);
    view.presentScene(scene);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
    cairo_t* cr = cairo_create(surface);

    enum Key : std::uint16_t { Space = 49, Esc = 53, Left = 123, Right = 124 };
    std::vector<double> times;
    long quietFrames = 0, quietAllocations = 0;
    // 660 frames are measured for time; the script then plays on to 3600, and the frames after
    // the first minute count for allocations, once the sprites of every flame size are drawn.
    for (int frame = 0; frame < 7200; ++frame) {
        // The script: sweep left and right a second each way, fire on every 30th frame, pause
        // for half a second once. Enemies fall into the shots and onto the ship.
        int second = frame / 60;
        if (frame % 60 == 0) {
            view.keyUp(Left), view.keyUp(Right);
            view.keyDown(second % 2 ? Left : Right);
        }
        if (frame % 30 == 15) view.keyDown(Space);
        if (frame == 400 || frame == 430) view.keyDown(Esc);

        bool exploding = false;
        for (auto& child : view.scene()->children()) exploding |= dynamic_cast<SKEmitterNode*>(child.get()) != nullptr;
        long before = allocations;
        auto start = std::chrono::steady_clock::now();
        clock.advance(1.0 / 60);
        view.tick();
        view.render(cr, 1, true); // the surface keeps its frame, as the window does
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (frame >= 60 && frame < 660) times.push_back(ms);
        if (frame >= 3600) {
            // Frames with no input, no spawn and no explosion show what a steady frame allocates.
            if (frame % 30 != 15 && frame % 60 != 0 && !exploding && static_cast<GameScene&>(*view.scene()).lastEnemyTime() < clock.now())
                ++quietFrames, quietAllocations += allocations - before;
        }
    }
    std::printf("typical %s frames=%zu\n", summarise(times).c_str(), times.size());
    auto& s = static_cast<GameScene&>(*view.scene());
    std::fprintf(stderr, "typical: score %lld, lives %lld; %ld allocations in %ld steady frames; %zu sprites kept\n",
                 static_cast<long long>(s.score()), static_cast<long long>(s.lives()), quietAllocations, quietFrames,
                 view.renderer().sprites().count());
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
