#pragma once

#include <chrono>

// Where the view reads the frame time: seconds, monotonic.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual double now() const = 0;
};

// Seconds since boot (CLOCK_MONOTONIC), so the first frame's time is already large.
class MonotonicClock final : public Clock {
public:
    [[nodiscard]] double now() const override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
};

// A clock that moves only when told; for tests.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 1000) : now_(start) {}
    [[nodiscard]] double now() const override { return now_; }
    void set(double t) { now_ = t; }
    void advance(double dt) { now_ += dt; }

private:
    double now_;
};
