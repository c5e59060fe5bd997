// The builders alone, without a view: a bare scene steps their actions.
#include "Entities.hpp"
#include "RandomInRange.hpp"
#include "SKScene.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr CGSize field{800, 600};
constexpr double frame = 1.0 / 60;

// A scene that runs the actions of what is added to it, one frame at a time.
struct Field {
    std::shared_ptr<SKScene> scene = std::make_shared<SKScene>(field);
    void frames(int n)
    {
        for (int i = 0; i < n; ++i) scene->evaluateActions(frame, {});
    }
};

} // namespace

TEST(RandomInRange, ReachesBothEndsAndStaysBetween)
{
    EXPECT_EQ(randomInRangeFromDraw(0, 30, 770), 30);
    EXPECT_EQ(randomInRangeFromDraw(std::uint64_t(1) << 53, 30, 770), 770);
    EXPECT_LT(randomInRangeFromDraw((std::uint64_t(1) << 53) - 1, 30, 770), 770);
    EXPECT_EQ(randomInRangeFromDraw(std::uint64_t(1) << 52, 1, 3), 2);
    double low = 1, high = 0;
    for (int i = 0; i < 2000; ++i) {
        double v = randomInRange(0.04, 0.07);
        ASSERT_GE(v, 0.04);
        ASSERT_LE(v, 0.07);
        low = std::min(low, v), high = std::max(high, v);
    }
    EXPECT_LT(low, 0.041) << "spread over the range";
    EXPECT_GT(high, 0.069);
}

// Their looks are pinned by the golden pictures; here, their bodies and motion.

TEST(PlayerShip, HasABodyTheEnemiesTouchAndThreeFlickeringFlames)
{
    auto ship = makePlayerShip(field);
    EXPECT_EQ(ship->zPosition(), 5);
    EXPECT_EQ(ship->physicsBody()->size(), (CGSize{56, 65}));
    EXPECT_EQ(ship->physicsBody()->categoryBitMask(), PhysicsCategory::player);
    EXPECT_EQ(ship->physicsBody()->contactTestBitMask(), PhysicsCategory::enemy);
    EXPECT_EQ(ship->physicsBody()->collisionBitMask(), 0u);

    const auto& parts = ship->children();
    ASSERT_EQ(parts.size(), 5u);
    // A flame's step lies in 0.04…0.07 s: after 0.04 s every flame has grown.
    Field f;
    f.scene->addChild(ship);
    f.frames(3);
    for (int i = 2; i < 5; ++i) EXPECT_GT(parts[i]->yScale(), 1.0);
    ship->removeFromParent();
    EXPECT_FALSE(parts[2]->hasActions()) << "the flicker ends with the ship";
}

TEST(Laser, StartsThirtyAboveTheShipAndLeavesPastTheTopAfterOneSecond)
{
    auto laser = makeLaser({200, 100}, field);
    EXPECT_EQ(laser->position(), (CGPoint{200, 130}));
    EXPECT_EQ(laser->zPosition(), 1);
    EXPECT_EQ(laser->physicsBody()->size(), (CGSize{4, 15}));
    EXPECT_EQ(laser->physicsBody()->categoryBitMask(), PhysicsCategory::laser);
    EXPECT_EQ(laser->physicsBody()->contactTestBitMask(), PhysicsCategory::enemy);

    Field f;
    f.scene->addChild(laser);
    f.frames(59);
    EXPECT_TRUE(laser->parent());
    EXPECT_EQ(laser->position().x, 200);
    f.frames(1);
    EXPECT_FALSE(laser->parent());
    EXPECT_EQ(laser->position(), (CGPoint{200, 620}));
}

TEST(Enemy, StartsAboveTheTopAnywhereBetweenTheMarginsAndFallsForFourSeconds)
{
    bool offPoint = false;
    for (int i = 0; i < 50; ++i) {
        auto enemy = makeEnemy(field);
        ASSERT_GE(enemy->position().x, 30);
        ASSERT_LE(enemy->position().x, 770);
        offPoint |= enemy->position().x != std::round(enemy->position().x);
    }
    EXPECT_TRUE(offPoint) << "x over the whole continuous range, not whole points";

    auto enemy = makeEnemy(field);
    EXPECT_EQ(enemy->position().y, 625);
    EXPECT_EQ(enemy->name(), "enemy");
    EXPECT_EQ(enemy->zPosition(), 4);
    EXPECT_EQ(enemy->physicsBody()->size(), (CGSize{50, 45}));
    EXPECT_EQ(enemy->physicsBody()->contactTestBitMask(), PhysicsCategory::player | PhysicsCategory::laser);

    Field f;
    f.scene->addChild(enemy);
    f.frames(239);
    EXPECT_TRUE(enemy->parent());
    f.frames(1);
    EXPECT_FALSE(enemy->parent());
    EXPECT_EQ(enemy->position().y, -40);

    EXPECT_EQ(makeEnemy({40, 600})->position().x, 20) << "a field too narrow for the margins: the middle";
}

TEST(Star, ThirtyOfThemFillTheFieldAndComeBackAtTheTop)
{
    Field f;
    bool offPoint = false;
    for (int i = 0; i < 30; ++i) {
        auto star = makeStar(f.scene);
        CGRect box = star->path().boundingBox();
        EXPECT_GE(box.size.width, 2);
        EXPECT_LE(box.size.width, 6);
        EXPECT_GE(star->alpha(), 0.4);
        EXPECT_LE(star->alpha(), 1.0);
        EXPECT_GE(star->position().x, 0);
        EXPECT_LE(star->position().x, 800);
        EXPECT_GE(star->position().y, 0);
        EXPECT_LE(star->position().y, 600);
        EXPECT_EQ(star->zPosition(), -1);
        EXPECT_EQ(star->name(), "star");
        EXPECT_FALSE(star->physicsBody());
        offPoint |= star->position().x != std::round(star->position().x);
        f.scene->addChild(star);
    }
    EXPECT_TRUE(offPoint) << "x over the whole continuous range";

    // Within 6 s a star has reached -10 once and re-entered at height + 10.
    auto star = f.scene->children().front();
    double lowest = 1e9;
    bool reentered = false;
    for (int i = 0; i < 6 * 60 + 2 && !reentered; ++i) {
        double before = star->position().y;
        f.frames(1);
        lowest = std::min(lowest, before);
        reentered = star->position().y > before;
    }
    ASSERT_TRUE(reentered);
    EXPECT_GT(lowest, -10 - 1e-9);
    EXPECT_GT(star->position().y, 600) << "the new fall has begun just below height + 10";
    EXPECT_LE(star->position().y, 610);
}

TEST(Star, ReEntryDoesNothingOnceItsSceneIsGone)
{
    auto star = SKShapeNode::shapeNodeWithCircleOfRadius(2);
    star->setPosition({123, -10});
    std::weak_ptr<SKScene> gone;
    {
        auto scene = std::make_shared<SKScene>(field);
        gone = scene;
        resetStar(gone, *star);
        EXPECT_EQ(star->position().y, 610);
        bool elsewhere = false;
        for (int i = 0; i < 20 && !elsewhere; ++i) {
            resetStar(gone, *star);
            elsewhere = star->position().x != 123;
        }
        EXPECT_TRUE(elsewhere) << "back at the top somewhere new";
        star->setPosition({123, -10});
    }
    resetStar(gone, *star);
    EXPECT_EQ(star->position(), (CGPoint{123, -10}));
}

TEST(Explosion, FromTheResourcesAtThePointFadedOutAndGoneInASecond)
{
    auto explosion = makeExplosion({5, 595}, SKBundle::main());
    ASSERT_TRUE(explosion) << "the game's own emitter file";
    EXPECT_EQ(explosion->position(), (CGPoint{5, 595})) << "never clamped";
    EXPECT_EQ(explosion->zPosition(), 5);

    Field f;
    f.scene->addChild(explosion);
    f.frames(30);
    EXPECT_EQ(explosion->alpha(), 1) << "full glow for half a second";
    f.frames(15);
    EXPECT_LT(explosion->alpha(), 1);
    f.frames(15);
    EXPECT_FALSE(explosion->parent());

    auto empty = std::filesystem::temp_directory_path() / "tarvenko-no-resources";
    std::filesystem::create_directories(empty);
    EXPECT_FALSE(makeExplosion({0, 0}, SKBundle(empty))) << "missing: nothing";
}
