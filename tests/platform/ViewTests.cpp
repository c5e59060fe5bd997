#include "SKAction.hpp"
#include "SKScene.hpp"
#include "SKTransition.hpp"
#include "Support.hpp"

namespace {

constexpr double frame = 1.0 / 60;
using Log = std::vector<std::string>;

// Logs the callbacks it gets.
struct LoggingScene : SKScene {
    std::string tag;
    Log& log;
    LoggingScene(std::string tag, Log& log) : tag(std::move(tag)), log(log)
    {
        setScaleMode(SKSceneScaleMode::resizeFill);
    }
    void say(const std::string& what) { log.push_back(tag + ":" + what); }
    void didMoveToView(SKView&) override { say("didMove " + std::to_string(int(size().width))); }
    void willMoveFromView(SKView&) override { say("willMove"); }
    void update(double t) override { say("update " + std::to_string(int((t - 5000) * 60 + 0.5))); }
    void keyDown(const SKEvent& e) override { say("key " + std::to_string(e.keyCode())); }
    void mouseDown(const SKEvent& e) override
    {
        CGPoint p = e.locationInNode(*this);
        say("mouse " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)));
    }
};

struct Stage {
    Log log; // outlives the view, whose end still tells its scene
    ViewStage v;
    SKView& view = v.view;
    std::shared_ptr<LoggingScene> make(const std::string& tag) { return std::make_shared<LoggingScene>(tag, log); }
    void step(int frames = 1, double each = frame) { v.step(frames, each); }
};

} // namespace

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
    s.view.keyDown(SKKey::space);
    s.view.mouseDown({400, 300});
    s.step(11);
    EXPECT_EQ(s.view.scene(), a) << "the old scene shows during the first half";
    s.step(2);
    EXPECT_EQ(s.view.scene(), c) << "swapped at the midpoint";
    s.step(13);
    EXPECT_TRUE(s.view.isTransitioning() && aNode->position().y == 0) << "the old scene stood still";
    s.step(1);
    EXPECT_FALSE(s.view.isTransitioning());
    EXPECT_EQ(s.log, (Log{"b:didMove 800", "b:willMove", "c:didMove 800", "a:willMove"})) << "no update, no input";
    s.step(1);
    s.view.keyDown(SKKey::space);
    EXPECT_EQ(s.log.back(), "c:key " + std::to_string(SKKey::space));
}
