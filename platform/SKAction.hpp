#pragma once

#include "CGGeometry.hpp"

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SKNode;
class SoundPlayer;

// What the frame that steps an action hands it.
struct SKActionContext {
    SoundPlayer* soundPlayer = nullptr; // the view's; none outside a view, and sounds stay silent
};

// One action running on one node. Built when the action starts; holds that run's progress.
class SKActionRun {
public:
    virtual ~SKActionRun() = default;
    // Advances by dt seconds. Once finished, returns the part of dt it did not use, so the next
    // step of a sequence (or the next cycle of a repeat) starts with it; nothing while it runs on.
    virtual std::optional<double> step(SKNode& node, double dt, const SKActionContext& context) = 0;
    // Back to the state it was made in, so a repeat runs it again without making a new one.
    virtual void restart() = 0;
};

// An immutable description of a change over time, with linear timing. One action may run on
// any number of nodes at once: each run captures its own start values when it starts.
class SKAction {
public:
    virtual ~SKAction() = default;

    [[nodiscard]] static std::shared_ptr<SKAction> moveToY(CGFloat y, double duration);
    // Scales about the node's origin.
    [[nodiscard]] static std::shared_ptr<SKAction> scaleYTo(CGFloat scale, double duration);
    [[nodiscard]] static std::shared_ptr<SKAction> fadeAlphaTo(CGFloat alpha, double duration);
    [[nodiscard]] static std::shared_ptr<SKAction> fadeOutWithDuration(double duration);
    [[nodiscard]] static std::shared_ptr<SKAction> waitForDuration(double duration);
    [[nodiscard]] static std::shared_ptr<SKAction> removeFromParent();
    [[nodiscard]] static std::shared_ptr<SKAction> runBlock(std::function<void()> block);
    [[nodiscard]] static std::shared_ptr<SKAction> sequence(std::vector<std::shared_ptr<SKAction>> actions);
    // A cycle that takes no time runs once per frame, never in a loop within one frame.
    [[nodiscard]] static std::shared_ptr<SKAction> repeatActionForever(std::shared_ptr<SKAction> action);
    // Without waiting, the action ends at once and the sound plays on; with it, the action lasts
    // as long as the sound.
    [[nodiscard]] static std::shared_ptr<SKAction> playSoundFileNamed(std::string fileName, bool waitForCompletion);

    [[nodiscard]] virtual std::unique_ptr<SKActionRun> makeRun() const = 0;
};
