#include "GameStage.hpp"
#include "RandomInRange.hpp"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(Player, ShipIsAHullWithNoseCockpitAndThreeFlickeringFlames)
{
    GameStage stage(true);
    auto ship = stage.scene->player();
    EXPECT_EQ(ship->zPosition(), 5);
    EXPECT_EQ(ship->path().boundingBox(), (CGRect{{-28, -25}, {56, 65}}));
    EXPECT_EQ(ship->physicsBody()->size(), (CGSize{56, 65}));
    EXPECT_EQ(ship->physicsBody()->categoryBitMask(), PhysicsCategory::player);
    EXPECT_EQ(ship->physicsBody()->contactTestBitMask(), PhysicsCategory::enemy);
    EXPECT_EQ(ship->physicsBody()->collisionBitMask(), 0u);

    const auto& parts = ship->children();
    ASSERT_EQ(parts.size(), 5u);
    auto shape = [&](int i) { return std::static_pointer_cast<SKShapeNode>(parts[i]); };
    EXPECT_EQ(shape(0)->fillColor(), SKColor::darkGrayColor()) << "nose tip first";
    EXPECT_EQ(shape(1)->fillColor(), SKColor::cyanColor()) << "then the cockpit";
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(shape(i)->zPosition(), -1);
        EXPECT_EQ(shape(i)->path().boundingBox().midX(), -7 + 7 * (i - 2)) << "flames at -7, 0, 7";
        EXPECT_TRUE(shape(i)->hasActions());
    }
    // A flame's step lies in 0.04…0.07 s: after 0.04 s it has grown, and it turns by 0.07 s.
    stage.frames(3);
    for (int i = 2; i < 5; ++i) EXPECT_GT(parts[i]->yScale(), 1.0);
}

TEST(Laser, FiresThirtyAboveTheShipWithOneSoundAndLeavesAfterOneSecond)
{
    GameStage stage(true);
    stage.frames();
    stage.clearEnemies(); // the next comes after the laser has gone
    stage.scene->player()->setPosition({200, 100});
    stage.press(GameStage::Space);
    stage.press(GameStage::Space);
    auto lasers = stage.lasers();
    ASSERT_EQ(lasers.size(), 2u);
    EXPECT_EQ(lasers[0]->position(), (CGPoint{200, 130}));
    EXPECT_EQ(lasers[0]->zPosition(), 1);
    stage.frames();
    EXPECT_EQ(stage.sound.played(), (std::vector<std::string>{"laser.wav", "laser.wav"}));

    stage.press(GameStage::D); // the shot keeps the x it was fired at
    stage.frames(58);
    EXPECT_TRUE(lasers[0]->parent());
    EXPECT_EQ(lasers[0]->position().x, 200);
    stage.frames();
    EXPECT_FALSE(lasers[0]->parent());
    EXPECT_EQ(lasers[0]->position(), (CGPoint{200, 620}));
}

TEST(Laser, NoShipNoShot)
{
    GameStage stage(false);
    stage.scene->fireLaser();
    stage.frames();
    EXPECT_TRUE(stage.lasers().empty());
    EXPECT_TRUE(stage.sound.played().empty());
}

TEST(Starfield, ThirtyStarsFallAndComeBackAtTheTop)
{
    GameStage stage(true);
    auto stars = stage.named("star");
    ASSERT_EQ(stars.size(), 30u);
    for (auto& node : stars) {
        auto star = std::static_pointer_cast<SKShapeNode>(node);
        CGRect box = star->path().boundingBox();
        EXPECT_GE(box.size.width, 2);
        EXPECT_LE(box.size.width, 6);
        EXPECT_GE(star->alpha(), 0.4);
        EXPECT_LE(star->alpha(), 1.0);
        EXPECT_GE(star->position().x, 0);
        EXPECT_LE(star->position().x, 800);
        EXPECT_EQ(star->position().x, std::round(star->position().x)) << "on a whole point across";
        EXPECT_GE(star->position().y, 0);
        EXPECT_LE(star->position().y, 600);
        EXPECT_EQ(star->zPosition(), -1);
        EXPECT_FALSE(star->physicsBody());
    }

    // Within 6 s every star has reached -10 once and re-entered at height + 10; watch one.
    auto star = stars.front();
    double lowest = 1e9;
    bool reentered = false;
    for (int i = 0; i < 6 * 60 + 2 && !reentered; ++i) {
        double before = star->position().y;
        stage.frames();
        lowest = std::min(lowest, before);
        reentered = star->position().y > before;
    }
    ASSERT_TRUE(reentered);
    EXPECT_GT(lowest, -10 - 1e-9);
    EXPECT_GT(star->position().y, 600) << "the new fall has begun just below height + 10";
    EXPECT_LE(star->position().y, 610);
    EXPECT_EQ(star->position().x, std::round(star->position().x)) << "re-entered on a whole point across";
}

TEST(Starfield, ReEntryDoesNothingOnceItsSceneIsGone)
{
    auto star = SKShapeNode::shapeNodeWithCircleOfRadius(2);
    star->setPosition({123, -10});
    std::weak_ptr<GameScene> gone;
    {
        auto scene = std::make_shared<GameScene>(CGSize{800, 600});
        gone = scene;
        GameScene::resetStar(gone, *star);
        EXPECT_EQ(star->position().y, 610);
        star->setPosition({123, -10});
    }
    GameScene::resetStar(gone, *star);
    EXPECT_EQ(star->position(), (CGPoint{123, -10}));
}
