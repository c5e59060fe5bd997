#include "SKAction.hpp"
#include "SKScene.hpp"
#include "Support.hpp"

#include <cmath>

namespace {

constexpr double frame = 1.0 / 60;

struct Stage : ViewStage {
    std::shared_ptr<SKScene> scene = std::make_shared<SKScene>(CGSize{800, 600});
    Stage() { view.presentScene(scene), view.tick(); }
    std::shared_ptr<SKNode> add(CGPoint at = {0, 0})
    {
        auto node = SKNode::node();
        node->setPosition(at), scene->addChild(node);
        return node;
    }
};

} // namespace

// A flame's flicker: a forever-repeated pair of equal scale steps, in phase after any number of
// frames; each step's leftover time carried into the next.
TEST(SKAction, RepeatedStepsStayInPhaseAndSequencesCarryLeftoverTime)
{
    auto flicker = [](double t) {
        double phase = std::fmod(t - 0.06, 0.12);
        return t < 0.06 ? 1 + 0.3 * t / 0.06 : phase < 0.06 ? 1.3 - 0.5 * phase / 0.06 : 0.8 + 0.5 * (phase - 0.06) / 0.06;
    };
    for (int frames : {1, 4, 7, 60, 3600}) {
        Stage s;
        auto node = s.add();
        node->runAction(SKAction::repeatActionForever(
            SKAction::sequence({SKAction::scaleYTo(1.3, 0.06), SKAction::scaleYTo(0.8, 0.06)})));
        s.step(frames);
        EXPECT_NEAR(node->yScale(), flicker(frames * frame), 1e-6) << frames << " frames";
    }
    // A step of no length, or a block repeated forever, runs once a frame.
    Stage s;
    int blockRuns = 0;
    auto faded = s.add();
    faded->runAction(SKAction::fadeOutWithDuration(0));
    faded->runAction(SKAction::repeatActionForever(SKAction::runBlock([&] { ++blockRuns; })));
    s.step(4);
    EXPECT_EQ(faded->alpha() + blockRuns, 4);
}
