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

// Logs the callbacks it gets, with the frame phases in between.
struct LoggingScene : SKScene, SKPhysicsContactDelegate {
    std::string tag;
    std::vector<std::string>& log;
    std::vector<double> times;

    LoggingScene(std::string tag, std::vector<std::string>& log) : tag(std::move(tag)), log(log) {}

    void didMoveToView(SKView&) override
    {
        log.push_back(tag + ":didMove " + std::to_string(int(size().width)));
        physicsWorld().setGravity({0, 0});
        physicsWorld().setContactDelegate(this);
    }
    void willMoveFromView(SKView&) override { log.push_back(tag + ":willMove"); }
    void update(double t) override
    {
        times.push_back(t);
        log.push_back(tag + ":update");
    }
    void keyDown(const SKEvent& e) override { log.push_back(tag + ":key " + std::to_string(e.keyCode())); }
    void mouseDown(const SKEvent& e) override
    {
        CGPoint p = e.locationInNode(*this);
        log.push_back(tag + ":mouse " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)));
    }
    void didBeginContact(const SKPhysicsContact&) override { log.push_back(tag + ":contact"); }
};

struct Stage {
    std::vector<std::string> log; // outlives the view, whose end still tells its scene
    ManualClock clock{5000};
    SilentSoundPlayer sound;
    SKView view{{800, 600}, clock, sound};

    std::shared_ptr<LoggingScene> make(const std::string& tag)
    {
        auto scene = std::make_shared<LoggingScene>(tag, log);
        scene->setScaleMode(SKSceneScaleMode::resizeFill);
        return scene;
    }
    void step(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) {
            clock.advance(frame);
            view.tick();
        }
    }
};

} // namespace

TEST(SKView, FramePhasesRunInOrderAndTheFirstFrameHasNoStep)
{
    Stage s;
    auto scene = s.make("a");
    s.view.presentScene(scene);
    EXPECT_EQ(scene->size(), (CGSize{800, 600})) << "resize-fill takes the view's size before didMoveToView";
    EXPECT_EQ(scene->view(), &s.view);

    // An action that logs, and two bodies that will touch once the action moves one.
    auto mover = SKNode::node();
    auto body = SKPhysicsBody::bodyWithRectangleOfSize({10, 10});
    body->setContactTestBitMask(1);
    mover->setPhysicsBody(body);
    mover->setPosition({0, 100});
    scene->addChild(mover);
    auto target = SKNode::node();
    target->setPhysicsBody(SKPhysicsBody::bodyWithRectangleOfSize({10, 10}));
    target->setPosition({0, 0});
    scene->addChild(target);
    mover->runAction(SKAction::sequence({SKAction::runBlock([&] { s.log.push_back("a:action"); }),
                                         SKAction::moveToY(0, frame)}));

    s.view.tick();
    EXPECT_EQ(mover->position().y, 100) << "the scene's first frame advances nothing";
    s.step();
    EXPECT_EQ(s.log, (std::vector<std::string>{"a:didMove 800", "a:update", "a:action", "a:update", "a:contact"}));
    EXPECT_DOUBLE_EQ(scene->times.back(), 5000 + frame) << "update gets the clock's time, not a step";
}

TEST(SKView, AStallAdvancesActionsByAtMostTheCap)
{
    Stage s;
    auto scene = s.make("a");
    s.view.presentScene(scene);
    auto node = SKNode::node();
    scene->addChild(node);
    node->runAction(SKAction::moveToY(100, 1));
    s.view.tick();
    s.clock.advance(30); // a suspend
    s.view.tick();
    EXPECT_NEAR(node->position().y, 100 * SKView::maxActionStep, 1e-9);
}

TEST(SKView, AScenePresentedDuringAFrameComesInBeforeTheDraw)
{
    Stage s;
    auto a = s.make("a");
    auto b = s.make("b");
    s.view.presentScene(a);
    a->runAction(SKAction::runBlock([&] { s.view.presentScene(b); }));
    s.view.tick();
    EXPECT_EQ(s.view.scene(), b);
    EXPECT_EQ(a->view(), nullptr);
    EXPECT_EQ(s.log, (std::vector<std::string>{"a:didMove 800", "a:update", "a:willMove", "b:didMove 800"}));
}

TEST(SKView, FadeFreezesBothScenesBlocksInputAndStartsTheNewSceneFresh)
{
    Stage s;
    auto a = s.make("a");
    auto b = s.make("b");
    s.view.presentScene(a);
    s.step(2);
    auto aNode = SKNode::node();
    a->addChild(aNode);
    aNode->runAction(SKAction::moveToY(1000, 1));
    s.log.clear();

    s.view.presentScene(b, SKTransition::fadeWithDuration(0.5));
    EXPECT_EQ(s.log, (std::vector<std::string>{"b:didMove 800"})) << "didMoveToView when the fade starts";
    EXPECT_TRUE(s.view.isTransitioning());
    EXPECT_EQ(s.view.scene(), a) << "the old scene shows during the first half";

    s.view.keyDown(SKKey::space);
    s.view.mouseDown({400, 300});
    s.step(14);
    EXPECT_EQ(s.view.scene(), a);
    s.step(2);
    EXPECT_EQ(s.view.scene(), b) << "swapped at the midpoint";
    s.step(13);
    EXPECT_TRUE(s.view.isTransitioning());
    EXPECT_EQ(aNode->position().y, 0) << "the old scene stood still";
    EXPECT_EQ(s.log, (std::vector<std::string>{"b:didMove 800", "a:willMove"})) << "no update, no input";

    s.step(1);
    EXPECT_FALSE(s.view.isTransitioning());
    s.step(1);
    s.view.keyDown(SKKey::space);
    EXPECT_EQ(s.log.back(), "b:key " + std::to_string(SKKey::space));
}

TEST(SKView, ASecondScenePresentedDuringAFadeReplacesTheIncomingOne)
{
    Stage s;
    auto a = s.make("a");
    s.view.presentScene(a);
    s.step();
    s.view.presentScene(s.make("b"), SKTransition::fadeWithDuration(0.5));
    s.step(3);
    auto c = s.make("c");
    s.view.presentScene(c, SKTransition::fadeWithDuration(0.5));
    s.step(30);
    EXPECT_EQ(s.view.scene(), c);
    EXPECT_FALSE(s.view.isTransitioning());
}

TEST(SKView, MouseLocationsReachTheSceneInItsCoordinates)
{
    Stage s;
    auto a = s.make("a");
    s.view.presentScene(a);
    s.view.mouseDown({400, 188});
    EXPECT_EQ(s.log.back(), "a:mouse 400,188");

    // A scene half the view's size, stretched to fill it.
    auto small = s.make("small");
    small->setScaleMode(SKSceneScaleMode::fill);
    small->setSize({400, 300});
    s.view.presentScene(small);
    s.view.mouseDown({400, 188});
    EXPECT_EQ(s.log.back(), "small:mouse 200,94");
    EXPECT_EQ(s.view.convertPointFromScene({200, 94}), (CGPoint{400, 188}));

    // Letterboxed: 400 x 400 fits as 600 x 600, 100 points in from the left.
    small->setScaleMode(SKSceneScaleMode::aspectFit);
    small->setSize({400, 400});
    for (CGPoint p : {CGPoint{0, 0}, CGPoint{123, 45}, CGPoint{400, 400}}) {
        CGPoint back = s.view.convertPointToScene(s.view.convertPointFromScene(p));
        EXPECT_NEAR(back.x, p.x, 1e-9);
        EXPECT_NEAR(back.y, p.y, 1e-9);
    }
    CGPoint corner = s.view.convertPointFromScene({0, 0});
    EXPECT_NEAR(corner.x, 100, 1e-9);
    EXPECT_NEAR(corner.y, 0, 1e-9);
}

TEST(SKView, IdleWhileNothingMovesAndWakesWithOneFramesStep)
{
    struct Halted : SKScene {
        bool running = true;
        bool updates() const override { return running; }
    };
    ManualClock clock;
    SilentSoundPlayer sound;
    SKView view({800, 600}, clock, sound);
    auto scene = std::make_shared<Halted>();
    scene->setScaleMode(SKSceneScaleMode::resizeFill);
    view.presentScene(scene);
    auto dot = SKNode::node();
    scene->addChild(dot);
    dot->runAction(SKAction::moveToY(600, 10)); // one point a frame
    auto frame = [&](double dt) { clock.advance(dt), view.tick(); };
    frame(1.0 / 60), frame(1.0 / 60), frame(1.0 / 60);

    EXPECT_FALSE(view.isIdle()) << "the scene's update has work";
    scene->running = false;
    EXPECT_FALSE(view.isIdle()) << "a node still moves";
    dot->setPaused(true);
    EXPECT_TRUE(view.isIdle());
    frame(1.0 / 60);

    // The host slept five seconds; the frame that wakes steps one frame, not the time slept.
    double y = dot->position().y;
    dot->setPaused(false);
    EXPECT_FALSE(view.isIdle());
    frame(5);
    EXPECT_NEAR(dot->position().y - y, 1, 1e-9);
    frame(1.0 / 60);
    EXPECT_NEAR(dot->position().y - y, 2, 1e-9);
}
