#include "GameStage.hpp"
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

TEST(HudLabels, ScoreLivesAndTheHiddenPauseMessage)
{
    GameStage stage(true);
    GameScene& s = *stage.scene;
    EXPECT_EQ(s.scoreLabel()->text().size(), 7u);
    EXPECT_EQ(s.scoreLabel()->position(), (CGPoint{100, 550}));
    EXPECT_EQ(s.scoreLabel()->fontColor(), SKColor::whiteColor());
    EXPECT_EQ(s.livesLabel()->text().size(), 25u);
    EXPECT_EQ(s.livesLabel()->text(), "CAN: \u2764\uFE0F \u2764\uFE0F \u2764\uFE0F");
    EXPECT_EQ(s.livesLabel()->position(), (CGPoint{650, 550}));
    EXPECT_EQ(s.livesLabel()->fontColor(), SKColor::redColor());
    EXPECT_EQ(s.pauseLabel()->text().size(), 56u);
    EXPECT_EQ(s.pauseLabel()->numberOfLines(), 2);
    EXPECT_EQ(s.pauseLabel()->position(), (CGPoint{400, 300}));
    EXPECT_EQ(s.pauseLabel()->zPosition(), 10);
    EXPECT_EQ(s.pauseLabel()->fontColor(), SKColor::yellowColor());
    for (auto* l : {s.scoreLabel().get(), s.livesLabel().get(), s.pauseLabel().get()})
        EXPECT_EQ(l->fontName(), "AvenirNext-Bold");
}

TEST(DisclaimerPanel, HoldsTitleTextAndAButtonThatBothItsShapeAndItsTextPress)
{
    for (bool onText : {false, true}) {
        GameStage stage(false);
        auto panel = stage.scene->childNodeWithName("disclaimerPanel");
        ASSERT_TRUE(panel);
        EXPECT_EQ(panel->position(), (CGPoint{400, 300}));
        EXPECT_EQ(panel->calculateAccumulatedFrame().minX(), 149) << "500 wide plus half the stroke";
        const auto& parts = panel->children();
        ASSERT_EQ(parts.size(), 4u);
        EXPECT_EQ(label(parts[0])->text(), "SİSTEM UYARISI");
        EXPECT_EQ(label(parts[0])->text().size(), 15u);
        EXPECT_EQ(label(parts[1])->text().size(), 212u);
        EXPECT_EQ(label(parts[1])->numberOfLines(), 7);
        EXPECT_EQ(label(parts[1])->fontName(), "AvenirNext-Medium");
        EXPECT_EQ(parts[2]->name(), "continueButton");
        EXPECT_EQ(label(parts[3])->text(), "Devam Et");
        EXPECT_EQ(parts[3]->name(), "continueButton");
        EXPECT_EQ(parts[3]->position(), (CGPoint{0, -112}));

        // The panel, its title and its text do nothing.
        for (CGPoint miss : {CGPoint{200, 400}, CGPoint{400, 412}, CGPoint{400, 260}, CGPoint{20, 20}}) stage.click(miss);
        EXPECT_TRUE(stage.scene->childNodeWithName("disclaimerPanel"));
        EXPECT_TRUE(stage.scene->isGamePaused());

        // On the word itself, or on the button beside it.
        stage.click(onText ? CGPoint{400, 188} : CGPoint{335, 180});
        EXPECT_FALSE(stage.scene->childNodeWithName("disclaimerPanel")) << (onText ? "text" : "button");
        EXPECT_TRUE(disclaimerAccepted);
        EXPECT_FALSE(stage.scene->isGamePaused());
        EXPECT_EQ(stage.scene->player()->position(), (CGPoint{400, 100}));
        EXPECT_TRUE(stage.scene->pauseLabel()->isHidden());

        // Play runs: an enemy on the next frame, ESC pauses, keys move the ship.
        stage.frames();
        EXPECT_EQ(stage.count("enemy"), 1u);
        stage.press(GameStage::Esc);
        EXPECT_TRUE(stage.scene->isGamePaused());
        stage.press(GameStage::Esc);
        stage.press(GameStage::Right);
        stage.frames();
        EXPECT_EQ(stage.scene->player()->position().x, 408);
    }
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
