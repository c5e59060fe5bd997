#include "Clock.hpp"
#include "SKAction.hpp"
#include "SKPhysicsBody.hpp"
#include "SKScene.hpp"
#include "SKTransition.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <gtest/gtest.h>

namespace {

constexpr double frame = 1.0 / 60;
using Log = std::vector<std::string>;

// Logs the callbacks it gets, with the frame phases in between.
struct LoggingScene : SKScene, SKPhysicsContactDelegate {
    std::string tag;
    Log& log;
    bool running = true;
    LoggingScene(std::string tag, Log& log) : tag(std::move(tag)), log(log)
    {
        setScaleMode(SKSceneScaleMode::resizeFill);
    }
    void didMoveToView(SKView&) override
    {
        log.push_back(tag + ":didMove " + std::to_string(int(size().width)));
        physicsWorld().setContactDelegate(this);
    }
    void willMoveFromView(SKView&) override { log.push_back(tag + ":willMove"); }
    void update(double t) override { log.push_back(tag + ":update " + std::to_string(int((t - 5000) * 60 + 0.5))); }
    bool updates() const override { return running; }
    void keyDown(const SKEvent& e) override { log.push_back(tag + ":key " + std::to_string(e.keyCode())); }
    void mouseDown(const SKEvent& e) override
    {
        CGPoint p = e.locationInNode(*this);
        log.push_back(tag + ":mouse " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)));
    }
    void didBeginContact(const SKPhysicsContact&) override { log.push_back(tag + ":contact"); }
};

struct Stage {
    Log log; // outlives the view, whose end still tells its scene
    ManualClock clock{5000};
    SilentSoundPlayer sound;
    SKView view{{800, 600}, clock, sound};
    std::shared_ptr<LoggingScene> make(const std::string& tag) { return std::make_shared<LoggingScene>(tag, log); }
    void step(int frames = 1, double each = frame)
    {
        for (int i = 0; i < frames; ++i) clock.advance(each), view.tick();
    }
};

} // namespace

TEST(SKView, AFrameUpdatesThenRunsActionsThenFindsContactsAndASceneComesInBeforeTheDraw)
{
    Stage s;
    auto a = s.make("a"), b = s.make("b");
    s.view.presentScene(a);
    EXPECT_EQ(a->view(), &s.view);
    // An action that logs, and two bodies that touch once the action has moved one.
    auto mover = SKNode::node(), target = SKNode::node();
    mover->setPhysicsBody(SKPhysicsBody::bodyWithRectangleOfSize({10, 10}));
    mover->physicsBody()->setContactTestBitMask(1);
    mover->setPosition({0, 100});
    target->setPhysicsBody(SKPhysicsBody::bodyWithRectangleOfSize({10, 10}));
    a->addChild(mover), a->addChild(target);
    mover->runAction(SKAction::sequence({SKAction::runBlock([&] { s.log.push_back("a:action"); }),
                                         SKAction::moveToY(0, frame),
                                         SKAction::runBlock([&] { s.view.presentScene(b); })}));
    s.view.tick();
    EXPECT_EQ(mover->position().y, 100) << "the scene's first frame advances nothing";
    s.step(2);
    EXPECT_EQ(s.log, (Log{"a:didMove 800", "a:update 0", "a:action", "a:update 1", "a:contact", "a:willMove",
                          "b:didMove 800", "b:update 2"}));
    EXPECT_EQ(s.view.scene(), b);
    EXPECT_EQ(a->view(), nullptr);
    // A stall (a suspended machine) advances actions by the cap only.
    auto node = SKNode::node();
    b->addChild(node);
    node->runAction(SKAction::moveToY(100, 1));
    s.step(1, 30);
    EXPECT_NEAR(node->position().y, 100 * SKView::maxActionStep, 1e-9);
}

TEST(SKView, AFadeFreezesBothScenesBlocksInputAndSwapsAtItsMidpoint)
{
    Stage s;
    auto a = s.make("a"), b = s.make("b"), c = s.make("c");
    s.view.presentScene(a);
    s.step(2);
    auto aNode = SKNode::node();
    a->addChild(aNode);
    aNode->runAction(SKAction::moveToY(1000, 1));
    s.log.clear();
    s.view.presentScene(b, SKTransition::fadeWithDuration(0.5));
    s.step(3);
    s.view.presentScene(c, SKTransition::fadeWithDuration(0.5)); // replaces the incoming one
    EXPECT_EQ(s.log, (Log{"b:didMove 800", "b:willMove", "c:didMove 800"}));
    EXPECT_TRUE(s.view.isTransitioning());
    s.view.keyDown(SKKey::space);
    s.view.mouseDown({400, 300});
    s.step(11);
    EXPECT_EQ(s.view.scene(), a) << "the old scene shows during the first half";
    s.step(2);
    EXPECT_EQ(s.view.scene(), c) << "swapped at the midpoint";
    s.step(13);
    EXPECT_TRUE(s.view.isTransitioning());
    EXPECT_EQ(aNode->position().y, 0) << "the old scene stood still";
    s.step(1);
    EXPECT_FALSE(s.view.isTransitioning());
    EXPECT_EQ(s.log, (Log{"b:didMove 800", "b:willMove", "c:didMove 800", "a:willMove"})) << "no update, no input";
    s.step(1);
    s.view.keyDown(SKKey::space);
    EXPECT_EQ(s.log.back(), "c:key " + std::to_string(SKKey::space));
}

TEST(SKView, ClicksReachTheSceneInItsOwnCoordinates)
{
    Stage s;
    auto a = s.make("a");
    s.view.presentScene(a);
    s.view.mouseDown({400, 188});
    EXPECT_EQ(s.log.back(), "a:mouse 400,188");
    // A scene half the view's size, stretched to fill it.
    a->setScaleMode(SKSceneScaleMode::fill);
    a->setSize({400, 300});
    s.view.mouseDown({400, 188});
    EXPECT_EQ(s.log.back(), "a:mouse 200,94");
    EXPECT_EQ(s.view.convertPointFromScene({200, 94}), (CGPoint{400, 188}));
    // Letterboxed: 400 × 400 fits as 600 × 600, 100 points in from the left.
    a->setScaleMode(SKSceneScaleMode::aspectFit);
    a->setSize({400, 400});
    for (CGPoint p : {CGPoint{0, 0}, CGPoint{123, 45}, CGPoint{400, 400}}) {
        CGPoint back = s.view.convertPointToScene(s.view.convertPointFromScene(p));
        EXPECT_NEAR(back.x - p.x, back.y - p.y, 1e-9);
    }
    EXPECT_NEAR(s.view.convertPointFromScene({0, 0}).x, 100, 1e-9);
    for (CGSize none : {CGSize{0, 300}, CGSize{300, 0}}) {
        a->setSize(none);
        EXPECT_EQ(s.view.convertPointToScene({400, 188}), (CGPoint{400, 188})) << "a scene of no size: as it is";
    }
}

TEST(SKView, IdleWhileNothingMovesAndWakesWithOneFramesStep)
{
    Stage s;
    auto scene = s.make("a");
    s.view.presentScene(scene);
    auto dot = SKNode::node();
    scene->addChild(dot);
    dot->runAction(SKAction::moveToY(600, 10)); // one point a frame
    s.step(3);
    EXPECT_FALSE(s.view.isIdle()) << "the scene's update has work";
    scene->running = false;
    EXPECT_FALSE(s.view.isIdle()) << "a node still moves";
    dot->setPaused(true);
    EXPECT_TRUE(s.view.isIdle());
    s.step();
    // The host slept five seconds; the frame that wakes steps one frame, not the time slept.
    double y = dot->position().y;
    dot->setPaused(false);
    s.step(1, 5);
    EXPECT_NEAR(dot->position().y - y, 1, 1e-9);
    s.step();
    EXPECT_NEAR(dot->position().y - y, 2, 1e-9);
}
