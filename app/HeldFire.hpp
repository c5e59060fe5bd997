#pragma once

#include <vector>

class SKView;

// Fire, held on the space bar or on any pad's fire button. The game hears space go down at each
// press, then again at the desktop's key-repeat delay and rate for as long as anything holds it,
// whatever other keys go down or up meanwhile (a desktop repeats only the last key pressed, so
// steering would stop its repeats), and go up once nothing holds it.
class HeldFire {
public:
    // The wait before the first repeat, then between repeats (seconds); no interval, no repeats.
    struct Repeat {
        double delay = 0.660;
        double interval = 0.040;
    };
    static constexpr int keyboard = -1; // a holder; pads hold by their joystick ids

    explicit HeldFire(Repeat repeat) : repeat_(repeat) {}
    void setRepeat(Repeat repeat) { repeat_ = repeat; }

    void press(int holder, SKView& view, double now);
    void release(int holder, SKView& view);
    // Once a frame: the repeats that fell due.
    void repeat(SKView& view, double now);
    // The window lost focus and the game let go of its keys: nothing is held any more, and a
    // release still to come says nothing.
    void forget() { holders_.clear(); }

private:
    Repeat repeat_;
    std::vector<int> holders_;
    double nextRepeat_ = 0;
};
