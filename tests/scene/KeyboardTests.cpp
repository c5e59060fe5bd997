#include "GameStage.hpp"

#include <gtest/gtest.h>

namespace {
int pausedNodes(GameScene& s)
{
    int n = 0;
    s.enumerateChildNodesWithName("//*", [&](SKNode& node, bool&) { n += node.isPaused(); });
    return n;
}
int allNodes(GameScene& s)
{
    int n = 0;
    s.enumerateChildNodesWithName("//*", [&](SKNode&, bool&) { ++n; });
    return n;
}
} // namespace

TEST(GameSceneKeyboard, EscPausesEveryNodeAndResumesThemAll)
{
    GameStage stage(true);
    GameScene& s = *stage.scene;
    stage.frames();
    stage.press(SKKey::space);
    stage.press(SKKey::left);
    stage.press(SKKey::d);
    stage.frames(10);

    EXPECT_FALSE(stage.view.isIdle()) << "in play the game has frames to run";
    stage.press(SKKey::escape);
    EXPECT_TRUE(s.isGamePaused());
    EXPECT_TRUE(stage.view.isIdle()) << "paused: no frame would change anything";
    EXPECT_FALSE(s.pauseLabel()->isHidden());
    EXPECT_FALSE(s.isMovingLeft()) << "held keys are let go";
    EXPECT_FALSE(s.isMovingRight());
    EXPECT_EQ(pausedNodes(s), allNodes(s)) << "every node at every depth";
    EXPECT_FALSE(s.isPaused()) << "never the scene itself";

    // Nothing moves, nothing spawns, no key but ESC counts; releasing still clears a flag.
    CGPoint ship = s.player()->position();
    CGPoint laser = stage.lasers().front()->position();
    std::size_t enemies = stage.count("enemy");
    double lastUpdate = s.lastUpdateTime();
    stage.frames(200);
    stage.press(SKKey::right);
    stage.press(SKKey::space);
    stage.frames(5);
    EXPECT_EQ(s.player()->position(), ship);
    EXPECT_EQ(stage.lasers().front()->position(), laser);
    EXPECT_EQ(stage.lasers().size(), 1u);
    EXPECT_EQ(stage.count("enemy"), enemies);
    EXPECT_EQ(s.lastUpdateTime(), lastUpdate);
    EXPECT_FALSE(s.isMovingRight());

    stage.press(SKKey::escape);
    EXPECT_FALSE(s.isGamePaused());
    EXPECT_TRUE(s.pauseLabel()->isHidden());
    EXPECT_EQ(s.lastUpdateTime(), 0) << "set afresh by the next frame";
    EXPECT_EQ(pausedNodes(s), 0);
    stage.frames();
    EXPECT_EQ(s.lastUpdateTime(), stage.clock.now());
    EXPECT_EQ(s.player()->position(), ship) << "the direction needs a new key press";
    EXPECT_EQ(stage.count("enemy"), enemies + 1) << "a pause past 1.5 s: an enemy on the first frame back";
    EXPECT_GT(stage.lasers().front()->position().y, laser.y);
}

TEST(GameSceneKeyboard, PauseIsRefusedWhileAPanelIsUp)
{
    GameStage stage(false);
    stage.press(SKKey::escape);
    stage.press(SKKey::escape);
    stage.press(SKKey::escape);
    EXPECT_TRUE(stage.scene->isGamePaused()) << "the warning holds play, untouched by ESC";
    EXPECT_FALSE(stage.view.isIdle()) << "the stars fall behind the warning";
    EXPECT_EQ(pausedNodes(*stage.scene), 0);
    EXPECT_FALSE(stage.scene->pauseLabel());
}

TEST(GameSceneKeyboard, OnlyTheSixKeysDoAnything)
{
    GameStage stage(true);
    GameScene& s = *stage.scene;
    for (std::uint16_t key : {1, 13, 36, 48, 125, 126, 0xFFFF}) stage.press(key);
    EXPECT_FALSE(s.isMovingLeft() || s.isMovingRight() || s.isGamePaused());
    EXPECT_TRUE(stage.lasers().empty());

    // Repeats are key-downs too: each fires.
    for (int i = 0; i < 5; ++i) stage.press(SKKey::space);
    EXPECT_EQ(stage.lasers().size(), 5u);
    stage.press(SKKey::a);
    stage.release(SKKey::left); // either left key lets go of left
    EXPECT_FALSE(s.isMovingLeft());
}

TEST(GameSceneKeyboard, LosingFocusPausesPlayOnlyAndLetsGoOfTheKeys)
{
    GameStage stage(true);
    GameScene& s = *stage.scene;
    stage.frames();
    stage.press(SKKey::left);
    stage.view.windowDidResignKey();
    EXPECT_TRUE(s.isGamePaused());
    EXPECT_FALSE(s.pauseLabel()->isHidden()) << "as ESC pauses";
    EXPECT_FALSE(s.isMovingLeft());
    stage.view.windowDidResignKey();
    EXPECT_TRUE(s.isGamePaused()) << "a second loss does not resume";
    stage.press(SKKey::escape);
    EXPECT_FALSE(s.isGamePaused());

    GameStage warning(false);
    warning.view.windowDidResignKey();
    EXPECT_TRUE(warning.scene->childNodeWithName("disclaimerPanel")) << "the warning stays as it is";
    EXPECT_FALSE(warning.scene->pauseLabel());
}

TEST(GameSceneKeyboard, EachSpaceFiresOneLaserOverTheShipWithItsSoundAndNoShipFiresNothing)
{
    GameStage stage(true);
    stage.frames();
    stage.clearEnemies();
    stage.scene->player()->setPosition({200, 100});
    stage.press(SKKey::space);
    stage.press(SKKey::space);
    ASSERT_EQ(stage.lasers().size(), 2u);
    EXPECT_EQ(stage.lasers()[0]->position(), (CGPoint{200, 130}));
    stage.frames();
    EXPECT_EQ(stage.sound.played(), (std::vector<std::string>{"laser.wav", "laser.wav"}));

    GameStage warning(false);
    warning.scene->fireLaser();
    warning.frames();
    EXPECT_TRUE(warning.lasers().empty());
    EXPECT_TRUE(warning.sound.played().empty());
}
