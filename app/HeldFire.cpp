#include "HeldFire.hpp"

#include "SKEvent.hpp"
#include "SKView.hpp"

#include <algorithm>

void HeldFire::press(int holder, SKView& view, double now)
{
    if (std::find(holders_.begin(), holders_.end(), holder) != holders_.end()) return;
    holders_.push_back(holder);
    nextRepeat_ = now + repeat_.delay;
    view.keyDown(SKKey::space);
}

void HeldFire::release(int holder, SKView& view)
{
    auto it = std::find(holders_.begin(), holders_.end(), holder);
    if (it == holders_.end()) return;
    holders_.erase(it);
    if (holders_.empty()) view.keyUp(SKKey::space);
}

void HeldFire::repeat(SKView& view, double now)
{
    if (holders_.empty() || repeat_.interval <= 0) return;
    // After a stall, carry on from now rather than firing the missed repeats at once.
    if (now - nextRepeat_ > repeat_.interval) nextRepeat_ = now;
    while (now >= nextRepeat_) {
        view.keyDown(SKKey::space);
        nextRepeat_ += repeat_.interval;
    }
}
