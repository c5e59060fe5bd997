#include "ContactPass.hpp"
#include "SKPhysicsBody.hpp"
#include "SKScene.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <tuple>

namespace {

// A world without gravity, as the game's, that records every contact as "a+b" by the nodes'
// names, in delivery order.
struct World : SKPhysicsContactDelegate {
    std::shared_ptr<SKScene> scene = std::make_shared<SKScene>(CGSize{800, 600});
    std::vector<std::string> begun;
    std::function<void(const SKPhysicsContact&)> onContact;
    World() { scene->physicsWorld().setGravity({0, 0}), scene->physicsWorld().setContactDelegate(this); }
    void didBeginContact(const SKPhysicsContact& c) override
    {
        begun.push_back(c.bodyA->node()->name() + "+" + c.bodyB->node()->name());
        if (onContact) onContact(c);
    }

    std::shared_ptr<SKNode> body(const std::string& name, CGPoint at, CGSize size, std::uint32_t category,
                                 std::uint32_t test, SKNode* parent = nullptr)
    {
        auto node = SKNode::node();
        auto b = SKPhysicsBody::bodyWithRectangleOfSize(size);
        node->setName(name), node->setPosition(at), node->setPhysicsBody(b);
        b->setCategoryBitMask(category), b->setContactTestBitMask(test);
        (parent ? parent : scene.get())->addChild(node);
        return node;
    }
    std::vector<std::string> step() { return begun.clear(), scene->simulatePhysics(1.0 / 60), begun; }
};

using Names = std::vector<std::string>;

} // namespace

// Against the plain way: every pair whose boxes overlap strictly and whose masks ask, reported
// once when it starts to touch, ordered by the bodies' age. Random worlds, moving for a while,
// with nested scaled parents, flipped nodes, boxes far larger than the grid, crowds of thousands
// of touching pairs, bodies far apart and bodies whose identifiers lie far apart.
TEST(SKPhysicsWorld, ContactsAreThePairsThatBeganToOverlapOrderedByAge)
{
    std::mt19937 random(11);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    for (int world = 0; world < 12; ++world) {
        World w;
        auto group = SKNode::node();
        group->setPosition({uniform(-50, 50), uniform(-50, 50)});
        group->setXScale(world % 3 == 0 ? -1.5 : 0.5), group->setYScale(2);
        w.scene->addChild(group);
        double spread = world % 4 == 3 ? 1e7 : world % 4 == 2 ? 60 : 900;
        std::vector<std::shared_ptr<SKNode>> nodes;
        for (int i = 0; i < 120; ++i) {
            bool huge = i % 37 == 5;
            if (world % 2 == 1) // identifiers spread wider than 16384, two digits of the sort
                for (int skip = int(random() % 600); skip > 0; --skip) (void)SKPhysicsBody::bodyWithRectangleOfSize({1, 1});
            CGSize size = huge ? CGSize{uniform(2000, 9000), uniform(1, 30)} : CGSize{uniform(1, 90), uniform(1, 90)};
            auto node = w.body(std::to_string(i), {uniform(0, spread), uniform(0, spread / 2)}, size,
                               1u << (random() % 4), random() % 16, i % 3 == 0 ? group.get() : nullptr);
            nodes.push_back(node);
        }
        std::set<std::pair<int, int>> before;
        for (int frame = 0; frame < 6; ++frame) {
            Names expected;
            std::set<std::pair<int, int>> now;
            for (int a = 0; a < int(nodes.size()); ++a)
                for (int b = a + 1; b < int(nodes.size()); ++b) {
                    auto box = [&](const SKNode& n) {
                        CGPoint c = n.parent()->convertPointToScene(n.position());
                        double sx = std::abs(n.parent()->xScale()), sy = std::abs(n.parent()->yScale());
                        CGSize s = n.physicsBody()->size();
                        return CGRect{{c.x - s.width * sx / 2, c.y - s.height * sy / 2}, {s.width * sx, s.height * sy}};
                    };
                    CGRect p = box(*nodes[a]), q = box(*nodes[b]);
                    const auto &bodyA = *nodes[a]->physicsBody(), &bodyB = *nodes[b]->physicsBody();
                    if (p.minX() < q.maxX() && q.minX() < p.maxX() && p.minY() < q.maxY() && q.minY() < p.maxY() &&
                        ((bodyA.categoryBitMask() & bodyB.contactTestBitMask()) ||
                         (bodyB.categoryBitMask() & bodyA.contactTestBitMask()))) {
                        now.insert({a, b});
                        if (!before.count({a, b})) expected.push_back(nodes[a]->name() + "+" + nodes[b]->name());
                    }
                }
            ASSERT_EQ(w.step(), expected) << "world " << world << ", frame " << frame;
            before = now;
            for (auto& n : nodes)
                if (random() % 3 == 0) n->setPosition(n->position() + CGPoint{uniform(-40, 40), uniform(-40, 40)});
        }
    }
}

// Edges that only touch do not overlap; bodies at no real place are left out; the delegate may
// remove both nodes of a contact, as the game does on a hit, or take a body off its node, and
// the frame's later contacts of those are not delivered.
TEST(SKPhysicsWorld, TouchingEdgesBrokenBodiesAndNodesRemovedOnTheWay)
{
    World w;
    w.body("laser", {100, 100}, {4, 15}, 2, 4);
    auto enemy = w.body("enemy", {100, 130}, {50, 45}, 4, 3); // bottom 107.5, the laser's top
    w.body("nan", {std::nan(""), 100}, {50, 45}, 4, 3);
    w.body("inf", {100, HUGE_VAL}, {50, 45}, 4, 3);
    EXPECT_EQ(w.step(), Names{});
    enemy->setPosition({100, 129.9});
    EXPECT_EQ(w.step(), Names{"laser+enemy"});
    w.body("ship", {400, 100}, {56, 65}, 1, 4);
    for (auto [name, x] : {std::pair{"enemy1", 390}, {"enemy2", 410}}) w.body(name, {double(x), 110}, {50, 45}, 4, 3);
    w.body("shot", {600, 100}, {4, 15}, 2, 4);
    for (auto [name, x] : {std::pair{"enemy3", 600}, {"enemy4", 601}}) w.body(name, {double(x), 110}, {50, 45}, 4, 3);
    w.onContact = [](const SKPhysicsContact& c) {
        c.bodyA->node()->removeFromParent(), c.bodyB->node()->removeFromParent();
    };
    EXPECT_EQ(w.step(), (Names{"ship+enemy1", "shot+enemy3"}));
    w.onContact = [](const SKPhysicsContact& c) { c.bodyB->node()->setPhysicsBody(nullptr); };
    for (auto [name, x] : {std::pair{"a", 50}, {"b", 52}, {"c", 54}}) w.body(name, {double(x), 500}, {10, 10}, 1, 1);
    EXPECT_EQ(w.step(), (Names{"a+b", "a+c"}));
}

// What a pass reports of its work, for the crowd bench's model: the bodies that may meet another
// (a group that meets none is never compared), their places in cells (64 points wide, from the
// leftmost box), the pairs compared within a group and between two.
TEST(SKPhysicsWorld, TheContactPassReportsItsWork)
{
    World w;
    for (auto [name, x] : {std::pair{"a", 50}, {"b", 52}, {"c", 54}}) w.body(name, {double(x), 500}, {10, 10}, 1, 1);
    w.body("alone", {300, 300}, {10, 10}, 8, 0);
    w.body("other group", {56, 500}, {10, 10}, 2, 1);
    w.body("across two cells", {109, 500}, {10, 10}, 1, 1);
    w.step();
    ContactPass::Work work = w.scene->physicsWorld().contacts().work();
    // The first cell: 4 of the first group (6 pairs) and 1 of the other (4 pairs); the second: 1.
    EXPECT_EQ(std::tuple(work.bodies, work.binned, work.compared), std::tuple(5u, 6u, 10u));
}

// A world falls at 9.8 m/s² (150 points a metre) until told otherwise. Without gravity a dynamic
// body stays where it is; with it, it falls faster each frame, unless it is static or paused, and
// keeps the speed it gained once gravity is gone.
TEST(SKPhysicsWorld, GravityMovesDynamicBodiesOnly)
{
    EXPECT_EQ(SKPhysicsWorld().gravity(), (CGVector{0, -9.8}));
    World w;
    auto ship = w.body("ship", {400, 100}, {56, 65}, 1, 4), rock = w.body("rock", {200, 500}, {10, 10}, 1, 4),
         held = w.body("held", {600, 500}, {10, 10}, 1, 4);
    rock->physicsBody()->setDynamic(false), held->setPaused(true);
    auto frames = [&](int n, CGVector gravity) {
        w.scene->physicsWorld().setGravity(gravity);
        for (int i = 0; i < n; ++i) w.step();
    };
    frames(60, {0, 0});
    EXPECT_TRUE(ship->physicsBody()->isDynamic() && ship->position() == (CGPoint{400, 100}));
    frames(60, {2, -9.8}); // (1 + 2 + … + 60) frames' worth of one frame's gain
    EXPECT_NEAR(ship->position().x, 400 + 2 * 150 * 1830 / 3600.0, 1e-9);
    EXPECT_NEAR(ship->position().y, 100 - 9.8 * 150 * 1830 / 3600.0, 1e-9);
    EXPECT_TRUE(rock->position() == (CGPoint{200, 500}) && held->position() == (CGPoint{600, 500}));
    double y = ship->position().y;
    frames(1, {0, 0});
    EXPECT_NEAR(y - ship->position().y, 9.8 * 150 / 60, 1e-9) << "a second of gravity's speed, for 1/60 s";
}
