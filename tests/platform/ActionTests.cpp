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
    Stage() { view.presentScene(scene), view.tick(); }
    void step(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) clock.advance(frame), view.tick();
    }
    std::shared_ptr<SKNode> add(SKNode* parent = nullptr)
    {
        auto node = SKNode::node();
        (parent ? parent : scene.get())->addChild(node);
        return node;
    }
};

} // namespace

// A flame's flicker: a forever-repeated pair of equal scale steps, in phase after any number of
// frames; each step's leftover time carried into the next.
TEST(SKAction, RepeatedStepsStayInPhaseAndSequencesCarryLeftoverTime)
{
    auto expected = [](double t) {
        if (t < 0.06) return 1 + 0.3 * t / 0.06;
        double phase = std::fmod(t - 0.06, 0.12);
        return phase < 0.06 ? 1.3 - 0.5 * phase / 0.06 : 0.8 + 0.5 * (phase - 0.06) / 0.06;
    };
    for (int frames : {1, 4, 7, 60, 3600}) {
        Stage s;
        auto node = s.add();
        node->runAction(SKAction::repeatActionForever(
            SKAction::sequence({SKAction::scaleYTo(1.3, 0.06), SKAction::scaleYTo(0.8, 0.06)})));
        s.step(frames);
        EXPECT_NEAR(node->yScale(), expected(frames * frame), 1e-6) << frames << " frames";
    }
    Stage s;
    auto node = s.add();
    node->setPosition({10, 0});
    int blockRuns = 0;
    node->runAction(SKAction::sequence({SKAction::moveToY(100, 0.025), SKAction::runBlock([&] { ++blockRuns; }),
                                        SKAction::moveToY(200, 0.025)}));
    s.step();
    EXPECT_NEAR(node->position().y, 100 * frame / 0.025, 1e-6);
    s.step();
    EXPECT_EQ(blockRuns, 1);
    EXPECT_NEAR(node->position().y, 100 + 100 * (2 * frame - 0.025) / 0.025, 1e-6);
    EXPECT_EQ(node->position().x, 10) << "moveToY leaves x alone";
    s.step();
    EXPECT_EQ(node->position().y, 200);
    EXPECT_FALSE(node->hasActions());
    // A step of no length, or a block repeated forever, runs once a frame.
    auto faded = s.add();
    faded->runAction(SKAction::fadeOutWithDuration(0));
    faded->runAction(SKAction::repeatActionForever(SKAction::runBlock([&] { ++blockRuns; })));
    s.step(4);
    EXPECT_EQ(faded->alpha(), 0);
    EXPECT_EQ(blockRuns, 5);
}

TEST(SKAction, AMoveStartsFromWhereTheNodeIsWhenItsStepBegins)
{
    Stage s;
    auto node = s.add();
    auto move = SKAction::moveToY(100, 1);
    node->runAction(SKAction::sequence({SKAction::waitForDuration(0.5), move}));
    node->setPosition({0, 40}); // moved after the run began, before the move step starts
    s.step(30);
    EXPECT_NEAR(node->position().y, 40, 1e-9);
    s.step(30);
    EXPECT_NEAR(node->position().y, 40 + 60 * 0.5, 1e-6);
    // One action value on two nodes: each run has its own start.
    auto other = s.add();
    other->setPosition({0, -100});
    other->runAction(move);
    s.step(30);
    EXPECT_NEAR(other->position().y, 0, 1e-6);
    EXPECT_NEAR(node->position().y, 100, 1e-9);
    // Started between frames, an action advances by the whole next frame: a laser is gone on
    // the 60th frame after it was fired.
    auto laser = s.add();
    laser->setPosition({400, 130});
    laser->runAction(SKAction::sequence({SKAction::moveToY(620, 1.0), SKAction::removeFromParent()}));
    s.step(59);
    EXPECT_TRUE(laser->parent() && laser->position().y < 620);
    s.step();
    EXPECT_FALSE(laser->parent());
    EXPECT_EQ(laser->position().y, 620);
}

TEST(SKAction, PausedOrRemovedNodesAndAllBelowThemStandStill)
{
    Stage s;
    auto parent = s.add(), child = s.add(parent.get());
    child->runAction(SKAction::moveToY(60, 1));
    s.step(10);
    parent->setPaused(true);
    s.step(120);
    EXPECT_NEAR(child->position().y, 10, 1e-9) << "an ancestor's pause holds the child";
    parent->setPaused(false);
    child->setPaused(true);
    s.step(5);
    child->setPaused(false);
    s.step();
    EXPECT_NEAR(child->position().y, 11, 1e-9) << "one frame's step after the resume, not the paused time";
    // Removed: its actions and those below it end, and nothing resumes when it comes back.
    int ticks = 0;
    child->runAction(SKAction::repeatActionForever(
        SKAction::sequence({SKAction::waitForDuration(frame), SKAction::runBlock([&] { ++ticks; })})));
    s.step(3);
    parent->removeFromParent();
    EXPECT_FALSE(parent->hasActions() || child->hasActions());
    s.scene->addChild(parent);
    s.step(3);
    EXPECT_EQ(ticks, 3);
    // A sequence that removes its own node runs nothing after; a block may free a node the
    // same pass would step next.
    auto a = s.add(), b = s.add();
    std::weak_ptr<SKNode> weakB = b;
    bool ranAfterRemoval = false;
    a->runAction(SKAction::sequence({SKAction::runBlock([weakB] { weakB.lock()->removeFromParent(); }),
                                     SKAction::removeFromParent(),
                                     SKAction::runBlock([&] { ranAfterRemoval = true; })}));
    b->runAction(SKAction::runBlock([&] { ranAfterRemoval = true; }));
    b.reset();
    s.step();
    EXPECT_TRUE(weakB.expired() && !a->parent());
    EXPECT_FALSE(ranAfterRemoval);
}

TEST(SKAction, SoundActionsPlayThroughTheViewAndEndAtOnce)
{
    Stage s;
    auto laser = SKAction::playSoundFileNamed("laser.wav", false);
    s.scene->runAction(laser);
    s.scene->runAction(laser);
    s.step();
    EXPECT_EQ(s.sound.played(), (std::vector<std::string>{"laser.wav", "laser.wav"}));
    EXPECT_FALSE(s.scene->hasActions());
    auto loose = std::make_shared<SKScene>(); // outside any view: plays nothing, does not fail
    loose->runAction(laser);
    loose->evaluateActions(frame, {});
    EXPECT_EQ(s.sound.played().size(), 2u);
}
