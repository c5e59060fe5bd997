#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// A moment some seconds from now, for waits on a service that may never answer: what is left of
// it, as poll() takes it, and how a line names it ("2 s").
class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(double seconds)
        : at_(Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds))),
          seconds_(seconds)
    {
    }

    [[nodiscard]] int millisecondsLeft() const
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(at_ - Clock::now()).count();
        return left > 0 ? int(left) : 0;
    }

    [[nodiscard]] std::string said() const
    {
        char text[32];
        std::snprintf(text, sizeof text, "%g s", seconds_);
        return text;
    }

private:
    Clock::time_point at_;
    double seconds_;
};
