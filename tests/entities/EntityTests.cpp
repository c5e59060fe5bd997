// The builders alone, without a view: a bare scene steps their actions. Their looks are pinned
// by the golden pictures; here, their bodies, places and lifetimes.
#include "Entities.hpp"
#include "Hud.hpp"
#include "RandomInRange.hpp"
#include "SKScene.hpp"
#include "Support.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
constexpr CGSize field{800, 600};

// Frames (of 1/60 s) a node lives in a bare scene; -1 for longer than ten seconds.
int framesToLive(const std::shared_ptr<SKNode>& node)
{
    auto scene = std::make_shared<SKScene>(field);
    scene->addChild(node);
    for (int frame = 1; frame <= 600; ++frame) {
        scene->evaluateActions(1.0 / 60, {});
        if (!node->parent()) return frame;
    }
    return -1;
}

// Whether every flame of a ship (its parts with actions) grows, then shrinks below its size, within 0.3 s.
bool flickers(const std::shared_ptr<SKNode>& ship)
{
    auto scene = std::make_shared<SKScene>(field);
    scene->addChild(ship);
    std::map<SKNode*, int> seen; // 1: grown, 3: then shrunk
    for (int frame = 0; frame < 18; ++frame, scene->evaluateActions(1.0 / 60, {}))
        for (auto& part : ship->children())
            if (part->hasActions()) seen[part.get()] |= part->yScale() > 1 ? 1 : seen[part.get()] && part->yScale() < 1 ? 2 : 0;
    return !seen.empty() && std::all_of(seen.begin(), seen.end(), [](auto& flame) { return flame.second == 3; });
}
} // namespace

TEST(Builders, BodiesDepthsAndLifetimes)
{
    auto laser = makeLaser({200, 100}, field);
    EXPECT_EQ(laser->position(), (CGPoint{200, 130})) << "thirty above the ship";
    auto enemy = makeEnemy(field);
    EXPECT_TRUE(enemy->position().y == 625 && enemy->name() == "enemy");
    double enemyX = enemy->position().x;
    struct Row {
        std::shared_ptr<SKNode> node;
        double z;
        CGSize body;
        std::uint32_t category, contacts;
        int frames;
        CGPoint endsAt;
    };
    // Categories: the ship 1, a laser 2, an enemy 4.
    for (Row row : {Row{makePlayerShip(field), 5, {56, 65}, 1, 4, -1, {400, 100}},
                    Row{laser, 1, {4, 15}, 2, 4, 60, {200, 620}}, Row{enemy, 4, {50, 45}, 4, 3, 240, {enemyX, -40}}}) {
        const auto& body = row.node->physicsBody();
        EXPECT_TRUE(row.node->zPosition() == row.z && body->size() == row.body && body->collisionBitMask() == 0);
        EXPECT_TRUE(body->isDynamic());
        EXPECT_EQ(body->categoryBitMask() * 100 + body->contactTestBitMask(), row.category * 100 + row.contacts);
        EXPECT_EQ(framesToLive(row.node), row.frames);
        EXPECT_EQ(row.node->position(), row.endsAt);
    }
    EXPECT_TRUE(flickers(makePlayerShip(field)) && flickers(makeEnemy(field)));
    EXPECT_EQ(makeEnemy({40, 600})->position().x, 20) << "a field too narrow for the margins: the middle";
    auto explosion = makeExplosion({5, 595}, SKBundle::main());
    ASSERT_TRUE(explosion) << "the game's own emitter file";
    EXPECT_TRUE(explosion->position() == (CGPoint{5, 595}) && explosion->zPosition() == 5) << "never clamped";
    EXPECT_EQ(framesToLive(explosion), 60);
    EXPECT_FALSE(makeExplosion({0, 0}, SKBundle(TempDir().dir))) << "missing: nothing";
}

TEST(Builders, EnemiesAndStarsTakeAnyXInTheFieldAndStarsComeBackAtTheTop)
{
    auto scene = std::make_shared<SKScene>(field);
    double low = 1e9, high = -1e9;
    bool offPoint = false;
    // A star's radius and opacity: each anywhere in its range, and only there (the ends are
    // missed by 2000 stars with a chance of 1 in 10^22).
    std::pair radius{9.0, 0.0}, alpha{9.0, 0.0};
    for (int i = 0; i < 4000; ++i) {
        auto node = i % 2 ? std::shared_ptr<SKNode>(makeEnemy(field)) : makeStar(scene);
        double x = node->position().x;
        low = std::min(low, x), high = std::max(high, x);
        offPoint |= x != std::round(x);
        ASSERT_TRUE(i % 2 == 0 || (x >= 30 && x <= 770)) << x;
        if (i % 2) continue;
        auto& star = static_cast<SKShapeNode&>(*node);
        ASSERT_EQ(star.fillColor(), SKColor::whiteColor()) << "white, whatever its opacity";
        double r = star.path().boundingBox().size.width / 2, a = node->alpha();
        radius = {std::min(radius.first, r), std::max(radius.second, r)};
        alpha = {std::min(alpha.first, a), std::max(alpha.second, a)};
    }
    EXPECT_TRUE(offPoint && low < 30 && low >= 0 && high > 770 && high <= 800) << low << " " << high;
    EXPECT_TRUE(radius.first >= 1 && radius.first < 1.05 && radius.second > 2.95 && radius.second <= 3 + 1e-12)
        << radius.first << " " << radius.second;
    EXPECT_TRUE(alpha.first >= 0.4 && alpha.first < 0.415 && alpha.second > 0.985 && alpha.second <= 1)
        << alpha.first << " " << alpha.second;
    auto star = makeStar(scene);
    EXPECT_TRUE(star->zPosition() == -1 && !star->physicsBody());
    EXPECT_NEAR(star->frame().size.width, star->path().boundingBox().size.width, 1e-9) << "no outline";
    scene->addChild(star);
    // Every star, however slow (a fall takes 3 to 6 s), comes back at the top within 6 s.
    for (int i = 0; i < 20; ++i) {
        auto star = makeStar(scene);
        scene->addChild(star);
        double y = star->position().y, lowest = y;
        for (int frame = 0; frame < 6 * 60 + 2 && star->position().y <= y; ++frame) {
            y = star->position().y, lowest = std::min(lowest, y);
            scene->evaluateActions(1.0 / 60, {});
        }
        EXPECT_GT(lowest, -10 - 1e-9);
        EXPECT_TRUE(star->position().y > 600 && star->position().y <= 610) << "the new fall begun below height + 10";
    }
    // Once its scene is gone, a star that reaches the bottom stays there.
    std::weak_ptr<SKScene> gone = scene;
    scene.reset();
    star->setPosition({123, -10});
    resetStar(gone, *star);
    EXPECT_EQ(star->position(), (CGPoint{123, -10}));
}

