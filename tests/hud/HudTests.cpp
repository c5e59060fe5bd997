#include "GameStage.hpp"
#include "Hud.hpp"
#include "Pixels.hpp"

#include <gtest/gtest.h>

TEST(HudTexts, ScoreAndHearts)
{
    EXPECT_EQ(scoreText(0), "SKOR: 0");
    EXPECT_EQ(scoreText(30), "SKOR: 30");
    EXPECT_EQ(livesText(3), "CAN: \u2764\uFE0F \u2764\uFE0F \u2764\uFE0F");
    EXPECT_EQ(livesText(2), "CAN: \u2764\uFE0F \u2764\uFE0F \U0001F5A4");
    EXPECT_EQ(livesText(1), "CAN: \u2764\uFE0F \U0001F5A4 \U0001F5A4");
    EXPECT_EQ(livesText(0), "CAN: \U0001F5A4 \U0001F5A4 \U0001F5A4");
    EXPECT_EQ(livesText(3).size(), 25u);
    EXPECT_EQ(livesText(0).size(), 19u);
    EXPECT_EQ(livesText(-1), livesText(0)) << "past either end: all black";
    EXPECT_EQ(livesText(4), livesText(0));
}

// Their looks are pinned by the golden pictures; here, what play and clicks depend on.

TEST(HudLabels, ThePauseMessageWaitsHiddenAboveTheField)
{
    auto score = makeScoreLabel({800, 600}), pause = makePauseLabel({800, 600});
    EXPECT_EQ(score->text(), "SKOR: 0");
    EXPECT_EQ(score->zPosition(), 2);
    EXPECT_TRUE(pause->isHidden());
    EXPECT_EQ(pause->zPosition(), 10);
}

TEST(Panels, ButtonsAreFoundByTheirNamesAndTheTotalIsTheScoreAsItStands)
{
    auto panel = makeDisclaimerPanel({800, 600});
    EXPECT_EQ(panel->name(), disclaimerPanelName);
    const auto& parts = panel->children();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[2]->name(), continueButtonName) << "the button";
    EXPECT_EQ(parts[3]->name(), continueButtonName) << "and its words";

    auto [total, button] = makeGameOverPanel({800, 600}, 0);
    EXPECT_EQ(total->text(), "OYUN BİTTİ\nToplam Skor: 0");
    EXPECT_EQ(total->name(), "") << "a click on the total does nothing";
    EXPECT_EQ(button->name(), restartButtonName);
    EXPECT_EQ(button->zPosition(), 20);
    ASSERT_EQ(button->children().size(), 1u);
    EXPECT_EQ(button->children()[0]->name(), restartButtonName);
}

TEST(HudPixels, AnExplosionIsAnOrangeAndYellowBurstThatIsGoneInASecond)
{
    GameStage stage(true);
    stage.frames();
    stage.scene->createExplosion({300, 300});
    auto countFire = [&](const char* png) {
        Canvas c(800, 600);
        stage.view.render(c.cr(), 1);
        int fire = 0;
        for (double y = 230; y < 370; y += 1)
            for (double x = 230; x < 370; x += 1) {
                Pixel p = c.at(x, y);
                fire += p.r > 200 && p.g > 90 && p.b < 160;
            }
        if (png) c.writePng(png);
        return fire;
    };
    stage.frames(6);
    EXPECT_GT(countFire("game-explosion.png"), 150) << "a tenth of a second in";
    stage.frames(54);
    EXPECT_EQ(countFire(nullptr), 0) << "gone after a second";
}
