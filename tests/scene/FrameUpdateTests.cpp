#include "GameStage.hpp"

#include <gtest/gtest.h>

#include <cmath>

TEST(GameSceneFrameUpdate, TheShipStepsEightPointsAFrameInsideItsBounds)
{
    GameStage stage(true);
    auto& ship = *stage.scene->player();
    stage.press(SKKey::a);
    stage.frames();
    EXPECT_EQ(ship.position(), (CGPoint{392, 100}));
    stage.frames(100);
    EXPECT_EQ(ship.position().x, 25) << "left stops at 25";
    stage.release(SKKey::a);

    stage.press(SKKey::right);
    stage.frames(200);
    EXPECT_EQ(ship.position().x, 775) << "right stops at width - 25";
    stage.release(SKKey::right);

    // Both held: the left step with its bound first, then the right step with its own.
    ship.setPosition({27, 100});
    stage.press(SKKey::left);
    stage.press(SKKey::d);
    stage.frames();
    EXPECT_EQ(ship.position(), (CGPoint{33, 100}));
    ship.setPosition({400, 100});
    stage.frames(5);
    EXPECT_EQ(ship.position(), (CGPoint{400, 100}));
}

TEST(GameSceneFrameUpdate, EnemiesComeWhenMoreThanOneAndAHalfSecondsHavePassed)
{
    GameStage stage(true);
    stage.view.tick(); // first frame: an enemy at once
    ASSERT_EQ(stage.count("enemy"), 1u);
    double first = stage.scene->lastEnemyTime();

    stage.clock.set(first + 1.5);
    stage.view.tick();
    EXPECT_EQ(stage.count("enemy"), 1u) << "exactly 1.5 s is not enough";
    stage.clock.set(first + 1.5 + 1e-6);
    stage.view.tick();
    EXPECT_EQ(stage.count("enemy"), 2u);

    // At 60 frames a second, the next one comes on the first frame past the 1.5 s mark.
    double second = stage.scene->lastEnemyTime();
    int frames = 0;
    while (stage.count("enemy") == 2) {
        stage.frames();
        ++frames;
    }
    EXPECT_EQ(frames, 91);
    EXPECT_GT(stage.scene->lastEnemyTime() - second, 1.5);
}

TEST(GameSceneFrameUpdate, AnEnemyFallsForFourSecondsOfUnpausedTimeThenLeaves)
{
    GameStage stage(true);
    stage.view.tick();
    auto enemy = stage.named("enemy").front();
    EXPECT_EQ(enemy->position().y, 625);
    EXPECT_GE(enemy->position().x, 30);
    EXPECT_LE(enemy->position().x, 770);
    ASSERT_EQ(enemy->children().size(), 2u) << "core and flame";
    // Out of its way: this enemy is to reach the bottom.
    stage.scene->player()->setPosition({enemy->position().x > 400 ? 100.0 : 700.0, 100});

    stage.frames(120);
    stage.press(SKKey::escape); // a long pause in the middle does not count
    stage.frames(600);
    EXPECT_TRUE(enemy->parent());
    stage.press(SKKey::escape);
    stage.frames(119);
    EXPECT_TRUE(enemy->parent());
    EXPECT_GT(enemy->position().y, -40);
    stage.frames(1);
    EXPECT_FALSE(enemy->parent()) << "removed after 240 frames of unpaused time";
    EXPECT_EQ(enemy->position().y, -40);
    EXPECT_FALSE(enemy->children().front()->hasActions()) << "its flame's pulse ended with it";
    EXPECT_EQ(stage.scene->score(), 0);
    EXPECT_EQ(stage.scene->lives(), 3);
}
