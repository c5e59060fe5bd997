#include "Clock.hpp"
#include "SKAction.hpp"
#include "SKScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double frame = 1.0 / 60;

// A scene in a view with a manual clock: each step() is one frame of 1/60 s.
struct Stage {
    ManualClock clock{5000};
    RecordingSoundPlayer sound;
    SKView view{{800, 600}, clock, sound};
    std::shared_ptr<SKScene> scene = std::make_shared<SKScene>(CGSize{800, 600});

    Stage()
    {
        view.presentScene(scene);
        view.tick(); // the scene's first frame: no time passes
    }

    void step(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) {
            clock.advance(frame);
            view.tick();
        }
    }

    std::shared_ptr<SKNode> add()
    {
        auto node = SKNode::node();
        scene->addChild(node);
        return node;
    }
};

// Where a forever-repeated pair of equal scale steps (to `high`, then to `low`) stands after
// `elapsed` seconds, starting from scale 1.
double flickerScale(double elapsed, double step, double high, double low)
{
    if (elapsed < step) return 1 + (high - 1) * elapsed / step;
    double phase = std::fmod(elapsed - step, 2 * step);
    return phase < step ? high + (low - high) * phase / step : low + (high - low) * (phase - step) / step;
}

} // namespace

TEST(SKAction, RepeatedPairOfScaleStepsStaysInPhase)
{
    for (int frames : {1, 3, 4, 7, 60, 600, 3600}) {
        Stage s;
        auto node = s.add();
        node->runAction(SKAction::repeatActionForever(
            SKAction::sequence({SKAction::scaleYTo(1.3, 0.06), SKAction::scaleYTo(0.8, 0.06)})));
        s.step(frames);
        EXPECT_NEAR(node->yScale(), flickerScale(frames * frame, 0.06, 1.3, 0.8), 1e-6) << frames << " frames";
    }
}

TEST(SKAction, SequenceCarriesLeftoverTimeAndZeroLengthStepsFinishAtOnce)
{
    Stage stage;
    auto node = stage.add();
    node->setPosition({10, 0});
    int blockRuns = 0;
    // 0.025 s, then a block, then another 0.025 s: one 1/60 s frame ends inside the second move.
    node->runAction(SKAction::sequence({SKAction::moveToY(100, 0.025), SKAction::runBlock([&] { ++blockRuns; }),
                                        SKAction::moveToY(200, 0.025)}));
    stage.step();
    EXPECT_NEAR(node->position().y, 100 * frame / 0.025, 1e-6);
    EXPECT_EQ(blockRuns, 0);
    stage.step();
    EXPECT_EQ(blockRuns, 1);
    EXPECT_NEAR(node->position().y, 100 + 100 * (2 * frame - 0.025) / 0.025, 1e-6);
    EXPECT_EQ(node->position().x, 10) << "moveToY leaves x alone";
    stage.step();
    EXPECT_EQ(node->position().y, 200);
    EXPECT_FALSE(node->hasActions());

    // An action of no duration completes in the pass it first runs in.
    auto faded = stage.add();
    faded->runAction(SKAction::fadeOutWithDuration(0));
    stage.step();
    EXPECT_EQ(faded->alpha(), 0);
}

TEST(SKAction, MoveStartsFromWhereTheNodeIsWhenTheActionStarts)
{
    Stage stage;
    auto node = stage.add();
    auto move = SKAction::moveToY(100, 1);
    node->runAction(SKAction::sequence({SKAction::waitForDuration(0.5), move}));
    node->setPosition({0, 40}); // moved after the run began, before the move step starts
    stage.step(30);
    EXPECT_NEAR(node->position().y, 40, 1e-9);
    stage.step(30);
    EXPECT_NEAR(node->position().y, 40 + 60 * 0.5, 1e-6);

    // One action value on two nodes: each run has its own start.
    auto other = stage.add();
    other->setPosition({0, -100});
    other->runAction(move);
    stage.step(30);
    EXPECT_NEAR(other->position().y, 0, 1e-6);
    EXPECT_NEAR(node->position().y, 100, 1e-9);
}

TEST(SKAction, ActionsStartedBetweenFramesAdvanceByTheWholeNextFrame)
{
    Stage stage;
    auto laser = stage.add();
    laser->setPosition({400, 130});
    laser->runAction(SKAction::sequence({SKAction::moveToY(620, 1.0), SKAction::removeFromParent()}));
    stage.step(59);
    EXPECT_TRUE(laser->parent());
    EXPECT_LT(laser->position().y, 620);
    stage.step();
    EXPECT_FALSE(laser->parent()) << "removed on the 60th frame, 1 s after it was fired";
    EXPECT_EQ(laser->position().y, 620);
}

TEST(SKAction, PausedNodesAndTheirDescendantsStandStillAndResumeWithoutCatchingUp)
{
    Stage stage;
    auto parent = stage.add();
    auto child = SKNode::node();
    parent->addChild(child);
    child->runAction(SKAction::moveToY(60, 1));
    stage.step(10);
    double before = child->position().y;
    EXPECT_NEAR(before, 10, 1e-9);

    parent->setPaused(true);
    stage.step(120);
    EXPECT_EQ(child->position().y, before) << "an ancestor's pause holds the child";

    parent->setPaused(false);
    child->setPaused(true);
    stage.step(5);
    EXPECT_EQ(child->position().y, before);

    child->setPaused(false);
    stage.step();
    EXPECT_NEAR(child->position().y, before + 1, 1e-9) << "one frame's step after the resume, not the paused time";
}

TEST(SKAction, RemovingANodeEndsItsActionsAndThoseBelowIt)
{
    Stage stage;
    auto hull = stage.add();
    auto flame = SKNode::node();
    hull->addChild(flame);
    int ticks = 0;
    flame->runAction(SKAction::repeatActionForever(
        SKAction::sequence({SKAction::waitForDuration(frame), SKAction::runBlock([&] { ++ticks; })})));
    hull->runAction(SKAction::moveToY(100, 10));
    stage.step(3);
    EXPECT_EQ(ticks, 3);

    hull->removeFromParent();
    EXPECT_FALSE(hull->hasActions());
    EXPECT_FALSE(flame->hasActions());
    stage.scene->addChild(hull); // back in the scene, nothing resumes
    stage.step(3);
    EXPECT_EQ(ticks, 3);
    EXPECT_NEAR(hull->position().y, 0.5, 1e-9);

    // A sequence that removes its own node runs nothing after the removal.
    auto laser = stage.add();
    bool ranAfterRemoval = false;
    laser->runAction(SKAction::sequence({SKAction::removeFromParent(), SKAction::runBlock([&] { ranAfterRemoval = true; })}));
    stage.step();
    EXPECT_FALSE(laser->parent());
    EXPECT_FALSE(ranAfterRemoval);
}

TEST(SKAction, ZeroLengthCyclesRunOncePerFrameAndBlocksMayChangeTheTree)
{
    Stage stage;
    auto star = stage.add();
    int runs = 0;
    star->runAction(SKAction::repeatActionForever(SKAction::runBlock([&] { ++runs; })));
    stage.step(4);
    EXPECT_EQ(runs, 4);

    // A block that removes and frees another node that the same pass would step next.
    auto a = stage.add();
    auto b = stage.add();
    std::weak_ptr<SKNode> weakB = b;
    bool bMoved = false;
    b->runAction(SKAction::runBlock([&] { bMoved = true; }));
    a->runAction(SKAction::runBlock([&stage, weakB] {
        if (auto node = weakB.lock()) node->removeFromParent();
    }));
    b.reset();
    stage.step();
    EXPECT_TRUE(weakB.expired());
    EXPECT_FALSE(bMoved);
}

TEST(SKAction, SoundActionsPlayThroughTheViewAndEndAtOnce)
{
    Stage stage;
    auto laser = SKAction::playSoundFileNamed("laser.wav", false);
    stage.scene->runAction(laser);
    stage.scene->runAction(laser);
    EXPECT_TRUE(stage.scene->hasActions());
    stage.step();
    EXPECT_EQ(stage.sound.played(), (std::vector<std::string>{"laser.wav", "laser.wav"}));
    EXPECT_FALSE(stage.scene->hasActions());

    // A scene outside any view plays nothing and does not fail.
    auto loose = std::make_shared<SKScene>();
    loose->runAction(laser);
    loose->evaluateActions(frame, {});
    EXPECT_EQ(stage.sound.played().size(), 2u);
}
