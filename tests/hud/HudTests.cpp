#include "GameStage.hpp"
#include "Hud.hpp"
#include "Pixels.hpp"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<SKLabelNode> label(const std::shared_ptr<SKNode>& node)
{
    return std::dynamic_pointer_cast<SKLabelNode>(node);
}

bool near(Pixel p, int r, int g, int b, int tolerance = 40)
{
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

} // namespace

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

TEST(HudLabels, ScoreLivesAndTheHiddenPauseMessage)
{
    constexpr CGSize field{800, 600};
    auto score = makeScoreLabel(field), lives = makeLivesLabel(field), pause = makePauseLabel(field);
    EXPECT_EQ(score->text(), "SKOR: 0");
    EXPECT_EQ(score->position(), (CGPoint{100, 550}));
    EXPECT_EQ(score->fontColor(), SKColor::whiteColor());
    EXPECT_EQ(score->zPosition(), 2);
    EXPECT_EQ(lives->text(), livesText(3));
    EXPECT_EQ(lives->position(), (CGPoint{650, 550}));
    EXPECT_EQ(lives->fontColor(), SKColor::redColor());
    EXPECT_EQ(pause->text().size(), 56u);
    EXPECT_EQ(pause->numberOfLines(), 2);
    EXPECT_EQ(pause->position(), (CGPoint{400, 300}));
    EXPECT_EQ(pause->zPosition(), 10);
    EXPECT_EQ(pause->fontColor(), SKColor::yellowColor());
    EXPECT_TRUE(pause->isHidden());
    for (auto* l : {score.get(), lives.get(), pause.get()}) EXPECT_EQ(l->fontName(), "AvenirNext-Bold");
}

TEST(DisclaimerPanel, HoldsTitleTextAndAButtonWhoseShapeAndTextShareItsName)
{
    auto panel = makeDisclaimerPanel({800, 600});
    EXPECT_EQ(panel->name(), disclaimerPanelName);
    EXPECT_EQ(panel->position(), (CGPoint{400, 300}));
    EXPECT_EQ(panel->zPosition(), 0);
    EXPECT_EQ(panel->calculateAccumulatedFrame().minX(), 149) << "500 wide plus half the stroke";
    const auto& parts = panel->children();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(label(parts[0])->text(), "SİSTEM UYARISI");
    EXPECT_EQ(label(parts[0])->text().size(), 15u);
    EXPECT_EQ(label(parts[1])->text().size(), 212u);
    EXPECT_EQ(label(parts[1])->numberOfLines(), 7);
    EXPECT_EQ(label(parts[1])->fontName(), "AvenirNext-Medium");
    EXPECT_EQ(parts[2]->name(), continueButtonName);
    EXPECT_EQ(label(parts[3])->text(), "Devam Et");
    EXPECT_EQ(parts[3]->name(), continueButtonName);
    EXPECT_EQ(parts[3]->position(), (CGPoint{0, -112}));
}

TEST(GameOverPanel, TheTotalAsItStandsAndTheRestartButton)
{
    auto [total, button] = makeGameOverPanel({800, 600}, 0);
    EXPECT_EQ(total->text(), "OYUN BİTTİ\nToplam Skor: 0");
    EXPECT_EQ(makeGameOverPanel({800, 600}, 120).total->text(), "OYUN BİTTİ\nToplam Skor: 120");
    EXPECT_EQ(total->numberOfLines(), 2);
    EXPECT_EQ(total->position(), (CGPoint{400, 350}));
    EXPECT_EQ(total->zPosition(), 20);
    EXPECT_EQ(total->name(), "") << "a click on the total does nothing";
    EXPECT_EQ(button->name(), restartButtonName);
    EXPECT_EQ(button->position(), (CGPoint{400, 220}));
    EXPECT_EQ(button->zPosition(), 20);
    ASSERT_EQ(button->children().size(), 1u);
    EXPECT_EQ(label(button->children()[0])->text(), "Tekrar Dene");
    EXPECT_EQ(button->children()[0]->name(), restartButtonName);
}

TEST(HudPixels, PanelShipAndLabelsAppearWhereTheyBelong)
{
    GameStage stage(false);
    {
        Canvas c(800, 600);
        stage.view.render(c.cr(), 1);
        c.writePng("game-panel.png");
        EXPECT_TRUE(near(c.at(170, 300), 20, 20, 20, 12)) << c.at(170, 300) << ": the panel's near-black body";
        EXPECT_TRUE(near(c.at(150.5, 300), 255, 0, 0, 60)) << c.at(150.5, 300) << ": its red edge";
        EXPECT_TRUE(near(c.at(325.5, 190), 0, 255, 0, 60)) << c.at(325.5, 190) << ": the button's green edge";
    }
    stage.click({400, 188});
    stage.frames();
    Canvas c(800, 600);
    stage.view.render(c.cr(), 1);
    c.writePng("game-play.png");
    EXPECT_TRUE(near(c.at(400, 110), 255, 255, 255)) << c.at(400, 110) << ": the hull";
    EXPECT_TRUE(near(c.at(400, 122.5), 0, 255, 255, 60)) << c.at(400, 122.5) << ": the cockpit";
    int white = 0, red = 0;
    for (double x = 40; x < 160; x += 1) white += near(c.at(x, 558), 255, 255, 255, 30);
    for (double x = 560; x < 620; x += 1) red += near(c.at(x, 558), 255, 0, 0, 40);
    EXPECT_GT(white, 5) << "SKOR";
    EXPECT_GT(red, 5) << "CAN";
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
