#include "SKAction.hpp"
#include "SKScene.hpp"

#include <gtest/gtest.h>

#include <cmath>

// A flame's flicker: a forever-repeated pair of equal scale steps, in phase after any number of
// frames; each step's leftover time carried into the next.
TEST(SKAction, RepeatedStepsStayInPhaseAndSequencesCarryLeftoverTime)
{
    constexpr double frame = 1.0 / 60;
    auto flicker = [](double t) {
        double phase = std::fmod(t - 0.06, 0.12);
        return t < 0.06 ? 1 + 0.3 * t / 0.06 : phase < 0.06 ? 1.3 - 0.5 * phase / 0.06 : 0.8 + 0.5 * (phase - 0.06) / 0.06;
    };
    for (int frames : {1, 4, 7, 60, 3600}) {
        auto scene = std::make_shared<SKScene>(CGSize{800, 600});
        auto node = SKNode::node();
        scene->addChild(node);
        node->runAction(SKAction::repeatActionForever(
            SKAction::sequence({SKAction::scaleYTo(1.3, 0.06), SKAction::scaleYTo(0.8, 0.06)})));
        for (int i = 0; i < frames; ++i) scene->evaluateActions(frame, {});
        EXPECT_NEAR(node->yScale(), flicker(frames * frame), 1e-6) << frames << " frames";
        // A step of no length, or a block repeated forever, runs once a frame.
        if (frames != 4) continue;
        int blockRuns = 0;
        node->runAction(SKAction::fadeOutWithDuration(0));
        node->runAction(SKAction::repeatActionForever(SKAction::runBlock([&] { ++blockRuns; })));
        for (int i = 0; i < 4; ++i) scene->evaluateActions(frame, {});
        EXPECT_EQ(node->alpha() + blockRuns, 4);
    }
}

// A node taken out of its tree ends its actions and those of everything below it; put back,
// it does not pick them up again.
TEST(SKAction, ANodeTakenOutEndsItsActionsAndThoseBelowIt)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    for (bool all : {false, true}) {
        auto parent = SKNode::node(), child = SKNode::node();
        parent->addChild(child);
        scene->addChild(parent);
        parent->runAction(SKAction::fadeOutWithDuration(1));
        child->runAction(SKAction::fadeOutWithDuration(1));
        if (all) scene->removeAllChildren();
        else parent->removeFromParent();
        EXPECT_FALSE(parent->hasActions() || child->hasActions()) << (all ? "all children" : "one");
        scene->addChild(parent);
        scene->evaluateActions(0.5, {});
        EXPECT_EQ(child->alpha(), 1);
        scene->removeAllChildren();
    }
}

// A frame passes over what it found with nothing to step; whatever is given work later (an
// action deep down, a busy subtree moved under idle nodes, a paused one resumed) is stepped
// from the next frame on, and the scene is idle only while nothing is.
TEST(SKAction, WorkGivenBelowNodesFoundIdleIsSteppedFromTheNextFrame)
{
    struct Quiet : SKScene {
        Quiet() : SKScene(CGSize{800, 600}) {}
        [[nodiscard]] bool updates() const override { return false; }
    };
    auto scene = std::make_shared<Quiet>();
    auto parent = SKNode::node(), child = SKNode::node(), leaf = SKNode::node(), mover = SKNode::node();
    scene->addChild(parent), parent->addChild(child), child->addChild(leaf);
    int leafRuns = 0, moverRuns = 0;
    auto step = [&] { scene->evaluateActions(1.0 / 60, {}); };
    step(), step();
    EXPECT_TRUE(scene->isIdle());

    leaf->runAction(SKAction::runBlock([&] { ++leafRuns; }));
    EXPECT_FALSE(scene->isIdle());
    step(), step();
    EXPECT_EQ(leafRuns, 1);
    EXPECT_TRUE(scene->isIdle());

    // Busy under the scene, then moved below the idle ones.
    mover->runAction(SKAction::repeatActionForever(SKAction::runBlock([&] { ++moverRuns; })));
    scene->addChild(mover);
    step();
    leaf->addChild(mover);
    step();
    EXPECT_EQ(moverRuns, 2);

    parent->setPaused(true);
    step(), step();
    EXPECT_EQ(moverRuns, 2);
    EXPECT_TRUE(scene->isIdle());
    parent->setPaused(false);
    EXPECT_FALSE(scene->isIdle());
    step();
    EXPECT_EQ(moverRuns, 3);
}
