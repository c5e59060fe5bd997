// The looks of everything the builders make, each pinned by a picture at one and two pixels a
// point: tests/golden/NAME@1x.png and @2x.png. A look changed on purpose is drawn anew by
// `make golden` and the pictures are looked at before they are committed; a mismatch leaves
// golden-failed-NAME@Nx.png in the build folder.
#include "Clock.hpp"
#include "Entities.hpp"
#include "GameStage.hpp"
#include "Hud.hpp"
#include "Support.hpp"
#include "SKEmitterNode.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr CGSize field{800, 600};

struct Look {
    std::string name;
    std::vector<std::shared_ptr<SKNode>> nodes; // built afresh for each scale
    CGRect box; // where it is, in the field's points
};

std::vector<Look> looks()
{
    auto at = [](std::shared_ptr<SKNode> node, CGPoint p) { return node->setPosition(p), node; };
    auto explosion = [] {
        auto burst = makeExplosion({400, 300}, SKBundle::main());
        burst->setRandomSeed(7);
        for (int i = 0; i < 6; ++i) burst->advanceSimulation(1.0 / 60);
        return burst;
    };
    auto pause = makePauseLabel(field);
    pause->setHidden(false);
    auto [total, button] = makeGameOverPanel(field, 120);
    return {
        {"ship", {makePlayerShip(field)}, {{360, 50}, {80, 95}}},
        {"laser", {makeLaser({400, 100}, field)}, {{390, 118}, {20, 24}}},
        {"enemy", {at(makeEnemy(field), {400, 300})}, {{365, 265}, {70, 75}}},
        {"explosion", {explosion()}, {{320, 220}, {160, 160}}},
        {"labels", {makeScoreLabel(field), makeLivesLabel(field), pause}, {{0, 260}, {800, 340}}},
        {"disclaimer", {makeDisclaimerPanel(field)}, {{140, 140}, {520, 320}}},
        {"game-over", {total, button}, {{230, 180}, {340, 275}}},
    };
}

} // namespace

TEST(Golden, EveryBuilderLooksAsItsPictureAtOneAndTwoPixelsAPoint)
{
    ManualClock clock{100};
    SilentSoundPlayer sound;
    for (int scale : {1, 2})
        for (const Look& look : looks()) {
            SKView view(field, clock, sound);
            auto scene = std::make_shared<SKScene>(field);
            scene->setBackgroundColor(SKColor::blackColor());
            view.presentScene(scene);
            for (auto& node : look.nodes) scene->addChild(node);
            // Only the box around the look is kept.
            Canvas box(int(look.box.size.width), int(look.box.size.height), scale);
            view.render(box.cr(), scale, false, {-look.box.minX() * scale, -(field.height - look.box.maxY()) * scale});
            EXPECT_TRUE(matchesGolden(box.surface(), look.name + "@" + std::to_string(scale) + "x.png")) << look.name;
        }
}

// Moments of play, the stars taken away and an enemy put in place: a laser under the paused
// message; then, resumed, the game over on the field.
TEST(Golden, MomentsOfPlayLookAsTheirPictures)
{
    GameStage stage(true);
    for (auto& flame : stage.scene->player()->children()) flame->removeAllActions(), flame->setYScale(1); // random flicker
    stage.frames(), stage.clearEnemies();
    for (auto& star : stage.named("star")) star->removeFromParent();
    stage.scene->spawnEnemy();
    auto enemy = stage.scene->children().back();
    enemy->removeAllActions(), enemy->setPosition({300, 400});
    stage.press(SKKey::space), stage.frames(20), stage.press(SKKey::escape);
    for (const char* file : {"paused.png", "game-over-frame.png"}) {
        Canvas frame(800, 600);
        stage.view.render(frame.cr(), 1);
        EXPECT_TRUE(matchesGolden(frame.surface(), file)) << file << " differs from its picture";
        stage.press(SKKey::escape), stage.scene->gameOver();
    }
}
