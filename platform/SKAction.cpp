#include "SKAction.hpp"

#include "SKNode.hpp"
#include "SoundPlayer.hpp"

namespace {

// Frame times are differences of large clock readings; a step that lands within this of the end
// counts as reaching it, so 60 steps of 1/60 s finish a 1 s action on the 60th frame.
constexpr double timeEpsilon = 1e-9;

// Linear change from a start value captured on the first step to an end value.
class TimedRun : public SKActionRun {
public:
    explicit TimedRun(double duration) : duration_(duration) {}

    std::optional<double> step(SKNode& node, double dt, const SKActionContext&) final
    {
        if (!started_) {
            begin(node);
            started_ = true;
        }
        elapsed_ += dt;
        if (elapsed_ >= duration_ - timeEpsilon) {
            apply(node, 1);
            return std::max(0.0, elapsed_ - duration_);
        }
        apply(node, elapsed_ / duration_);
        return std::nullopt;
    }

    void restart() final
    {
        elapsed_ = 0;
        started_ = false;
    }

protected:
    virtual void begin(SKNode& node) = 0;
    virtual void apply(SKNode& node, double fraction) = 0;

private:
    double duration_;
    double elapsed_ = 0;
    bool started_ = false;
};

double lerp(double from, double to, double fraction) { return from + (to - from) * fraction; }

// An action that lasts a given number of seconds.
class TimedAction : public SKAction {
public:
    explicit TimedAction(double duration) : duration_(duration) {}
    [[nodiscard]] double duration() const { return duration_; }

private:
    double duration_;
};

// Only y changes; x stays wherever the node is.
class MoveToY final : public TimedAction {
public:
    MoveToY(CGFloat y, double duration) : TimedAction(duration), y_(y) {}

    std::unique_ptr<SKActionRun> makeRun() const override
    {
        struct Run final : TimedRun {
            Run(const MoveToY& a) : TimedRun(a.duration()), action(a) {}
            void begin(SKNode& node) override { start = node.position().y; }
            void apply(SKNode& node, double f) override { node.setPosition({node.position().x, lerp(start, action.y_, f)}); }
            const MoveToY& action;
            CGFloat start = 0;
        };
        return std::make_unique<Run>(*this);
    }

private:
    CGFloat y_;
};

// One number of the node changing linearly to a target: its y scale, its alpha.
template <CGFloat (SKNode::*get)() const, void (SKNode::*set)(CGFloat)>
class PropertyTo final : public TimedAction {
public:
    PropertyTo(CGFloat target, double duration) : TimedAction(duration), target_(target) {}

    std::unique_ptr<SKActionRun> makeRun() const override
    {
        struct Run final : TimedRun {
            Run(double duration, CGFloat to) : TimedRun(duration), to(to) {}
            void begin(SKNode& node) override { from = (node.*get)(); }
            void apply(SKNode& node, double f) override { (node.*set)(lerp(from, to, f)); }
            CGFloat from = 1, to;
        };
        return std::make_unique<Run>(duration(), target_);
    }

private:
    CGFloat target_;
};

using ScaleYTo = PropertyTo<&SKNode::yScale, &SKNode::setYScale>;
using FadeAlphaTo = PropertyTo<&SKNode::alpha, &SKNode::setAlpha>;

class Wait final : public TimedAction {
public:
    explicit Wait(double duration) : TimedAction(duration) {}

    std::unique_ptr<SKActionRun> makeRun() const override
    {
        struct Run final : TimedRun {
            using TimedRun::TimedRun;
            void begin(SKNode&) override {}
            void apply(SKNode&, double) override {}
        };
        return std::make_unique<Run>(duration());
    }
};

// Zero-length actions: do one thing and hand the whole step on.
class Instant : public SKAction {
public:
    std::unique_ptr<SKActionRun> makeRun() const override
    {
        struct Run final : SKActionRun {
            explicit Run(const Instant& a) : action(a) {}
            std::optional<double> step(SKNode& node, double dt, const SKActionContext&) override
            {
                action.perform(node);
                return dt;
            }
            void restart() override {}
            const Instant& action;
        };
        return std::make_unique<Run>(*this);
    }

protected:
    virtual void perform(SKNode& node) const = 0;
};

class RemoveFromParent final : public Instant {
    void perform(SKNode& node) const override { node.removeFromParent(); }
};

class RunBlock final : public Instant {
public:
    explicit RunBlock(std::function<void()> block) : block_(std::move(block)) {}

private:
    void perform(SKNode&) const override
    {
        if (block_) block_();
    }
    std::function<void()> block_;
};

class PlaySound final : public SKAction {
public:
    PlaySound(std::string fileName, bool wait) : fileName_(std::move(fileName)), wait_(wait) {}

    std::unique_ptr<SKActionRun> makeRun() const override
    {
        struct Run final : SKActionRun {
            explicit Run(const PlaySound& a) : action(a) {}
            std::optional<double> step(SKNode& node, double dt, const SKActionContext& context) override
            {
                if (!wait) {
                    SoundPlayer* player = context.soundPlayer;
                    if (player) player->play(action.fileName_);
                    if (!action.wait_ || !player) return dt;
                    wait = std::make_unique<Wait>(player->duration(action.fileName_))->makeRun();
                }
                return wait->step(node, dt, context);
            }
            void restart() override { wait.reset(); }
            const PlaySound& action;
            std::unique_ptr<SKActionRun> wait;
        };
        return std::make_unique<Run>(*this);
    }

private:
    std::string fileName_;
    bool wait_;
};

class Sequence final : public SKAction {
public:
    explicit Sequence(std::vector<std::shared_ptr<SKAction>> actions) : actions_(std::move(actions))
    {
        std::erase(actions_, nullptr);
    }

    std::unique_ptr<SKActionRun> makeRun() const override
    {
        struct Run final : SKActionRun {
            explicit Run(const Sequence& s)
            {
                for (const auto& action : s.actions_) steps.push_back(action->makeRun());
            }
            std::optional<double> step(SKNode& node, double dt, const SKActionContext& context) override
            {
                std::uint64_t generation = node.actionGeneration();
                while (index < steps.size()) {
                    std::optional<double> left = steps[index]->step(node, dt, context);
                    // A step that removed the node ended the rest of the sequence with it.
                    if (!left || node.actionGeneration() != generation) return std::nullopt;
                    dt = *left;
                    ++index;
                }
                return dt;
            }
            void restart() override
            {
                for (std::size_t i = 0; i < index && i < steps.size(); ++i) steps[i]->restart();
                if (index < steps.size()) steps[index]->restart();
                index = 0;
            }
            std::vector<std::unique_ptr<SKActionRun>> steps;
            std::size_t index = 0;
        };
        return std::make_unique<Run>(*this);
    }

private:
    std::vector<std::shared_ptr<SKAction>> actions_;
};

class RepeatForever final : public SKAction {
public:
    explicit RepeatForever(std::shared_ptr<SKAction> action) : action_(std::move(action)) {}

    std::unique_ptr<SKActionRun> makeRun() const override
    {
        struct Run final : SKActionRun {
            explicit Run(const RepeatForever& r) : repeat(r) {}
            std::optional<double> step(SKNode& node, double dt, const SKActionContext& context) override
            {
                if (!repeat.action_) return std::nullopt;
                std::uint64_t generation = node.actionGeneration();
                if (!current) current = repeat.action_->makeRun();
                for (;;) {
                    std::optional<double> left = current->step(node, dt, context);
                    if (!left || node.actionGeneration() != generation) return std::nullopt;
                    // The next cycle reuses this run: an endless repeat allocates nothing.
                    current->restart();
                    // A cycle that used no time would loop for ever: it waits for the next frame.
                    if (*left >= dt) return std::nullopt;
                    dt = *left;
                }
            }
            void restart() override
            {
                if (current) current->restart();
            }
            const RepeatForever& repeat;
            std::unique_ptr<SKActionRun> current;
        };
        return std::make_unique<Run>(*this);
    }

private:
    std::shared_ptr<SKAction> action_;
};

} // namespace

std::shared_ptr<SKAction> SKAction::moveToY(CGFloat y, double duration) { return std::make_shared<MoveToY>(y, duration); }

std::shared_ptr<SKAction> SKAction::scaleYTo(CGFloat scale, double duration)
{
    return std::make_shared<ScaleYTo>(scale, duration);
}

std::shared_ptr<SKAction> SKAction::fadeAlphaTo(CGFloat alpha, double duration)
{
    return std::make_shared<FadeAlphaTo>(alpha, duration);
}

std::shared_ptr<SKAction> SKAction::fadeOutWithDuration(double duration) { return fadeAlphaTo(0, duration); }

std::shared_ptr<SKAction> SKAction::waitForDuration(double duration) { return std::make_shared<Wait>(duration); }

std::shared_ptr<SKAction> SKAction::removeFromParent() { return std::make_shared<RemoveFromParent>(); }

std::shared_ptr<SKAction> SKAction::runBlock(std::function<void()> block)
{
    return std::make_shared<RunBlock>(std::move(block));
}

std::shared_ptr<SKAction> SKAction::sequence(std::vector<std::shared_ptr<SKAction>> actions)
{
    return std::make_shared<Sequence>(std::move(actions));
}

std::shared_ptr<SKAction> SKAction::repeatActionForever(std::shared_ptr<SKAction> action)
{
    return std::make_shared<RepeatForever>(std::move(action));
}

std::shared_ptr<SKAction> SKAction::playSoundFileNamed(std::string fileName, bool waitForCompletion)
{
    return std::make_shared<PlaySound>(std::move(fileName), waitForCompletion);
}
