#include "SKPhysicsBody.hpp"
#include "SKScene.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Records every contact as "a+b" by the nodes' names, in delivery order.
struct Recorder : SKPhysicsContactDelegate {
    std::vector<std::string> begun;
    std::function<void(const SKPhysicsContact&)> onContact;
    void didBeginContact(const SKPhysicsContact& c) override
    {
        begun.push_back(c.bodyA->node()->name() + "+" + c.bodyB->node()->name());
        if (onContact) onContact(c);
    }
};

struct World {
    std::shared_ptr<SKScene> scene = std::make_shared<SKScene>(CGSize{800, 600});
    Recorder recorder;

    World()
    {
        scene->physicsWorld().setGravity({0, 0});
        scene->physicsWorld().setContactDelegate(&recorder);
    }

    std::shared_ptr<SKNode> body(const std::string& name, CGPoint at, CGSize size, std::uint32_t category,
                                 std::uint32_t test)
    {
        auto node = SKNode::node();
        node->setName(name);
        node->setPosition(at);
        auto b = SKPhysicsBody::bodyWithRectangleOfSize(size);
        b->setDynamic(true);
        b->setCategoryBitMask(category);
        b->setContactTestBitMask(test);
        b->setCollisionBitMask(0);
        node->setPhysicsBody(b);
        scene->addChild(node);
        return node;
    }

    std::vector<std::string> step()
    {
        recorder.begun.clear();
        scene->simulatePhysics(1.0 / 60);
        return recorder.begun;
    }
};

using Names = std::vector<std::string>;

} // namespace

TEST(SKPhysicsWorld, AContactBeginsOncePerTouchAndAgainAfterSeparating)
{
    World w;
    auto laser = w.body("laser", {100, 100}, {4, 15}, 2, 4);
    auto enemy = w.body("enemy", {100, 300}, {50, 45}, 4, 3);
    EXPECT_EQ(w.step(), Names{}) << "apart";

    enemy->setPosition({100, 125});
    EXPECT_EQ(w.step(), Names{"laser+enemy"}) << "overlapping: exactly one begin";
    EXPECT_EQ(w.step(), Names{}) << "still overlapping: no second begin";

    enemy->setPosition({100, 300});
    EXPECT_EQ(w.step(), Names{});
    enemy->setPosition({101, 110});
    EXPECT_EQ(w.step(), Names{"laser+enemy"}) << "apart and back: one more";

    // Edges that only touch do not overlap: laser top 107.5, enemy bottom 107.5.
    enemy->setPosition({100, 300});
    w.step();
    enemy->setPosition({100, 130});
    EXPECT_EQ(w.step(), Names{});
}

TEST(SKPhysicsWorld, MasksAskInEitherDirection)
{
    World w;
    // Only b tests for a's category: still one contact, whichever body is older.
    w.body("a", {0, 0}, {10, 10}, 1, 0);
    w.body("b", {5, 5}, {10, 10}, 4, 1);
    // Neither tests for the other: a laser over a laser, or over the ship.
    w.body("laser1", {300, 300}, {4, 15}, 2, 4);
    w.body("laser2", {301, 301}, {4, 15}, 2, 4);
    w.body("ship", {300, 300}, {56, 65}, 1, 4);
    // Enemies pass through each other.
    w.body("enemy1", {600, 300}, {50, 45}, 4, 3);
    w.body("enemy2", {610, 310}, {50, 45}, 4, 3);
    EXPECT_EQ(w.step(), Names{"a+b"});
    EXPECT_TRUE(wantsContact(1, 0, 4, 1) && wantsContact(4, 1, 1, 0));
    EXPECT_FALSE(wantsContact(2, 4, 1, 4));
}

TEST(SKPhysicsWorld, ContactsOfOneFrameComeInCreationOrderAndSkipNodesRemovedOnTheWay)
{
    World w;
    auto ship = w.body("ship", {400, 100}, {56, 65}, 1, 4);
    auto enemy1 = w.body("enemy1", {390, 110}, {50, 45}, 4, 3);
    auto enemy2 = w.body("enemy2", {410, 110}, {50, 45}, 4, 3);
    auto laser = w.body("laser", {600, 100}, {4, 15}, 2, 4);
    auto enemy3 = w.body("enemy3", {600, 110}, {50, 45}, 4, 3);
    auto enemy4 = w.body("enemy4", {601, 111}, {50, 45}, 4, 3);

    // The delegate removes both nodes of each contact, as the game does on a hit.
    w.recorder.onContact = [](const SKPhysicsContact& c) {
        c.bodyA->node()->removeFromParent();
        c.bodyB->node()->removeFromParent();
    };
    enemy3.reset(); // only the scene holds it now: removal frees it mid-frame
    EXPECT_EQ(w.step(), (Names{"ship+enemy1", "laser+enemy3"}))
        << "a removed ship or laser takes no second contact in the same frame";
}

TEST(SKPhysicsWorld, BodiesUseSceneCoordinatesAndGravityMovesOnlyDynamicBodies)
{
    World w;
    auto parent = SKNode::node();
    parent->setPosition({100, 100});
    parent->setScale(2);
    w.scene->addChild(parent);
    auto inner = SKNode::node();
    inner->setName("inner");
    inner->setPosition({10, 10}); // at (120, 120) in the scene, 20 x 20 there
    auto body = SKPhysicsBody::bodyWithRectangleOfSize({10, 10});
    body->setContactTestBitMask(0xFFFFFFFF);
    inner->setPhysicsBody(body);
    parent->addChild(inner);
    w.body("probe", {131, 120}, {4, 4}, 1, 0);
    EXPECT_EQ(w.step(), Names{"inner+probe"});

    // Zero gravity: a dynamic body left alone stays put.
    auto still = w.body("still", {500, 500}, {1, 1}, 0, 0);
    for (int i = 0; i < 60; ++i) w.step();
    EXPECT_EQ(still->position(), (CGPoint{500, 500}));

    w.scene->physicsWorld().setGravity({0, -9.8});
    auto fixed = w.body("fixed", {700, 500}, {1, 1}, 0, 0);
    fixed->physicsBody()->setDynamic(false);
    for (int i = 0; i < 60; ++i) w.step();
    EXPECT_LT(still->position().y, 500 - 0.5 * 9.8 * 150 * 0.9);
    EXPECT_EQ(fixed->position(), (CGPoint{700, 500}));
}

TEST(SKPhysicsWorld, HugeFarAndBrokenBodiesAreHandled)
{
    World w;
    // A body far wider than the grid's cells meets the small ones it covers, once each.
    w.body("wall", {400, 300}, {5000, 10}, 1, 4);
    w.body("e1", {100, 300}, {50, 45}, 4, 1);
    w.body("e2", {700, 305}, {50, 45}, 4, 1);
    w.body("e3", {700, 400}, {50, 45}, 4, 1);
    // Far away, and nowhere at all: neither may upset the pass.
    w.body("far", {1e12, -1e12}, {50, 45}, 4, 1);
    w.body("nan", {std::nan(""), 0}, {50, 45}, 4, 1);
    w.body("huge", {0, 0}, {1e300, 1e300}, 4, 0);
    EXPECT_EQ(w.step(), (Names{"wall+e1", "wall+e2", "wall+huge"}));
    EXPECT_EQ(w.step(), Names{});
}
