#include "GameStage.hpp"

#include <gtest/gtest.h>

TEST(GameSceneMouse, DevamEtOnTheButtonOrItsTextStartsPlayAndNothingElseOnThePanelDoes)
{
    for (bool onText : {false, true}) {
        GameStage stage(false);
        // The panel, its title and its text do nothing.
        for (CGPoint miss : {CGPoint{200, 400}, CGPoint{400, 412}, CGPoint{400, 260}, CGPoint{20, 20}}) stage.click(miss);
        EXPECT_TRUE(stage.scene->childNodeWithName("disclaimerPanel"));
        EXPECT_EQ(stage.scene->playState(), GameScene::PlayState::warning);

        // On the word itself, or on the button beside it.
        stage.click(onText ? CGPoint{400, 188} : CGPoint{335, 180});
        EXPECT_FALSE(stage.scene->childNodeWithName("disclaimerPanel")) << (onText ? "text" : "button");
        EXPECT_TRUE(disclaimerAccepted);
        EXPECT_EQ(stage.scene->playState(), GameScene::PlayState::playing);
        EXPECT_EQ(stage.scene->player()->position(), (CGPoint{400, 100}));
        EXPECT_TRUE(stage.scene->pauseLabel()->isHidden());

        // Play runs: an enemy on the next frame, ESC pauses, keys move the ship, a click fires nothing.
        stage.frames();
        EXPECT_EQ(stage.count("enemy"), 1u);
        stage.click({400, 150});
        EXPECT_TRUE(stage.lasers().empty());
        stage.press(SKKey::escape);
        EXPECT_EQ(stage.scene->playState(), GameScene::PlayState::paused);
        stage.press(SKKey::escape);
        stage.press(SKKey::right);
        stage.frames();
        EXPECT_EQ(stage.scene->player()->position().x, 408);
    }
}
