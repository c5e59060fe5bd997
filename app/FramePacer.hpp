#pragma once

#include <chrono>
#include <thread>

// Holds the loop to a fixed rate by sleeping to absolute deadlines, so the rate does not drift
// and nothing spins. After a stall the schedule restarts from now instead of racing to catch up.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit FramePacer(double framesPerSecond)
        : period_(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1 / framesPerSecond))),
          deadline_(Clock::now())
    {
    }

    // After a wait of another kind: the next frame is due one period from now.
    void restart() { deadline_ = Clock::now(); }

    void waitForNextFrame()
    {
        deadline_ += period_;
        Clock::time_point now = Clock::now();
        if (now > deadline_ + period_) deadline_ = now; // fell behind: don't burst to catch up
        std::this_thread::sleep_until(deadline_);
    }

private:
    Clock::duration period_;
    Clock::time_point deadline_;
};
