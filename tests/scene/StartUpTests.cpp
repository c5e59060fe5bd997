#include "GameStage.hpp"

#include <gtest/gtest.h>

namespace {

void expectInitialFields(const GameScene& s)
{
    EXPECT_EQ(s.score(), 0);
    EXPECT_EQ(s.lives(), 3);
    EXPECT_EQ(s.playerSpeed(), 8);
    EXPECT_FALSE(s.isMovingLeft());
    EXPECT_FALSE(s.isMovingRight());
    EXPECT_FALSE(s.isGamePaused());
    EXPECT_EQ(s.lastUpdateTime(), 0);
    EXPECT_EQ(s.lastEnemyTime(), 0);
    EXPECT_TRUE(s.laserSound());
    EXPECT_TRUE(s.explosionSound());
    EXPECT_NE(s.laserSound(), s.explosionSound());
    EXPECT_FALSE(s.player());
    EXPECT_FALSE(s.scoreLabel());
    EXPECT_FALSE(s.pauseLabel());
    EXPECT_FALSE(s.livesLabel());
}

// The kinds of the scene's children, in order: "star", "score", "lives", a panel or the ship…
std::vector<std::string> childKinds(const GameScene& s)
{
    std::vector<std::string> kinds;
    for (auto& child : s.children()) {
        if (child == s.scoreLabel()) kinds.push_back("score");
        else if (child == s.livesLabel()) kinds.push_back("lives");
        else if (child == s.pauseLabel()) kinds.push_back("pause");
        else if (child == s.player()) kinds.push_back("player");
        else kinds.push_back(child->name());
    }
    return kinds;
}

} // namespace

TEST(GameSceneStartUp, EveryWayOfMakingTheSceneStartsFromTheInitialFields)
{
    expectInitialFields(GameScene());
    expectInitialFields(GameScene(CGSize{800, 600}));
    expectInitialFields(GameScene(SKCoder{{1024, 768}, std::nullopt}));
    EXPECT_EQ(GameScene(CGSize{640, 480}).size(), (CGSize{640, 480}));
    EXPECT_EQ(GameScene(SKCoder{{1024, 768}, std::nullopt}).size(), (CGSize{1024, 768}));
}

TEST(GameSceneStartUp, FirstSceneOfARunWaitsBehindTheWarningPanel)
{
    GameStage stage(false);
    GameScene& s = *stage.scene;
    EXPECT_EQ(s.physicsWorld().gravity(), (CGVector{0, 0}));
    EXPECT_EQ(s.physicsWorld().contactDelegate(), &s);
    EXPECT_EQ(s.backgroundColor(), SKColor::blackColor());

    std::vector<std::string> expected(30, "star");
    expected.insert(expected.end(), {"score", "lives", "disclaimerPanel"});
    EXPECT_EQ(childKinds(s), expected);
    EXPECT_TRUE(s.isGamePaused());
    EXPECT_FALSE(s.player());
    EXPECT_FALSE(s.pauseLabel());
    EXPECT_EQ(s.scoreLabel()->text(), "SKOR: 0");
    EXPECT_EQ(s.livesLabel()->text(), "CAN: ❤️ ❤️ ❤️");

    // Nothing plays until the button is pressed: no enemy, no move, no shot, no pause.
    for (std::uint16_t key : {SKKey::a, SKKey::d, SKKey::space, SKKey::escape, SKKey::left}) stage.press(key);
    stage.frames(120);
    EXPECT_EQ(stage.count("enemy"), 0u);
    EXPECT_TRUE(stage.lasers().empty());
    EXPECT_EQ(s.lastUpdateTime(), 0);
    EXPECT_FALSE(s.isMovingLeft());
    EXPECT_TRUE(stage.sound.played().empty());
    EXPECT_EQ(stage.count("disclaimerPanel"), 1u);
}

TEST(GameSceneStartUp, LaterScenesOfARunGoStraightToPlay)
{
    GameStage stage(true);
    GameScene& s = *stage.scene;
    std::vector<std::string> expected(30, "star");
    expected.insert(expected.end(), {"score", "lives", "player", "pause"});
    EXPECT_EQ(childKinds(s), expected);
    EXPECT_FALSE(s.isGamePaused());
    EXPECT_EQ(s.player()->position(), (CGPoint{400, 100}));
    EXPECT_TRUE(s.pauseLabel()->isHidden());

    // The clock reads seconds since boot, so the very first frame is past 1.5 s: an enemy at once.
    stage.view.tick();
    EXPECT_EQ(stage.count("enemy"), 1u);
    EXPECT_EQ(s.lastEnemyTime(), stage.clock.now());
    EXPECT_EQ(s.lastUpdateTime(), stage.clock.now());
}
