// The typical scene: the real game, headless, played by a script (steering, two shots a second,
// hits, one pause) for 600 measured frames after 60 of warm-up.
// Prints: typical mean_ms=… p50_ms=… p99_ms=…
#include "AllocationCounter.hpp"
#include "GameStage.hpp"
#include "SKEmitterNode.hpp"
#include "Stats.hpp"

#include <chrono>
#include <cstdio>
#include <vector>

int main()
{
    GameStage stage({.disclaimerAccepted = true, .recordSounds = false});
    SKView& view = stage.view;

    std::vector<double> times;
    long quietFrames = 0, quietAllocations = 0;
    // 660 frames are measured for time; the script then plays on to 3600, and the frames after
    // the first minute count for allocations, once the sprites of every flame size are drawn.
    for (int frame = 0; frame < 7200; ++frame) {
        // The script: sweep left and right a second each way, fire on every 30th frame, pause
        // for half a second once. Enemies fall into the shots and onto the ship.
        int second = frame / 60;
        if (frame % 60 == 0) {
            stage.release(SKKey::left), stage.release(SKKey::right);
            stage.press(second % 2 ? SKKey::left : SKKey::right);
        }
        if (frame % 30 == 15) stage.press(SKKey::space);
        if (frame == 400 || frame == 430) stage.press(SKKey::escape);

        bool exploding = false;
        for (auto& child : view.scene()->children()) exploding |= dynamic_cast<SKEmitterNode*>(child.get()) != nullptr;
        long before = allocations;
        auto start = std::chrono::steady_clock::now();
        stage.frames();
        stage.draw();
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (frame >= 60 && frame < 660) times.push_back(ms);
        if (frame >= 3600) {
            // Frames with no input, no spawn and no explosion show what a steady frame allocates.
            if (frame % 30 != 15 && frame % 60 != 0 && !exploding && stage.current().lastEnemyTime() < stage.clock.now())
                ++quietFrames, quietAllocations += allocations - before;
        }
    }
    std::printf("typical %s frames=%zu\n", summarise(times).c_str(), times.size());
    auto& s = stage.current();
    std::fprintf(stderr, "typical: score %lld, lives %lld; %ld allocations in %ld steady frames; %zu sprites kept\n",
                 static_cast<long long>(s.score()), static_cast<long long>(s.lives()), quietAllocations, quietFrames,
                 view.renderStats().sprites);
}
