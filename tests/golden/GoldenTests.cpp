// The looks of everything the builders make, each pinned by a picture at one and two pixels a
// point: tests/golden/NAME@1x.png and @2x.png. A look changed on purpose is drawn anew by
// `make golden` and the pictures are looked at before they are committed; a mismatch leaves
// golden-failed-NAME@Nx.png in the build folder.
#include "Clock.hpp"
#include "Entities.hpp"
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
    std::function<std::vector<std::shared_ptr<SKNode>>()> build;
    CGRect box; // where it is, in the field's points
};

std::vector<Look> looks()
{
    using Nodes = std::vector<std::shared_ptr<SKNode>>;
    return {
        {"ship", [] { return Nodes{makePlayerShip(field)}; }, {{360, 50}, {80, 95}}},
        {"laser", [] { return Nodes{makeLaser({400, 100}, field)}; }, {{390, 118}, {20, 24}}},
        {"enemy",
         [] {
             auto enemy = makeEnemy(field);
             enemy->setPosition({400, 300});
             return Nodes{enemy};
         },
         {{365, 265}, {70, 75}}},
        {"explosion",
         [] {
             auto burst = makeExplosion({400, 300}, SKBundle::main());
             burst->setRandomSeed(7);
             for (int i = 0; i < 6; ++i) burst->advanceSimulation(1.0 / 60);
             return Nodes{burst};
         },
         {{320, 220}, {160, 160}}},
        {"labels",
         [] {
             auto pause = makePauseLabel(field);
             pause->setHidden(false);
             return Nodes{makeScoreLabel(field), makeLivesLabel(field), pause};
         },
         {{0, 260}, {800, 340}}},
        {"disclaimer", [] { return Nodes{makeDisclaimerPanel(field)}; }, {{140, 140}, {520, 320}}},
        {"game-over",
         [] {
             auto [total, button] = makeGameOverPanel(field, 120);
             return Nodes{total, button};
         },
         {{230, 180}, {340, 275}}},
    };
}

} // namespace

TEST(Golden, EveryBuilderLooksAsItsPictureAtOneAndTwoPixelsAPoint)
{
    ManualClock clock{100};
    SilentSoundPlayer sound;
    for (const Look& look : looks())
        for (int scale : {1, 2}) {
            SKView view(field, clock, sound);
            auto scene = std::make_shared<SKScene>(field);
            scene->setBackgroundColor(SKColor::blackColor());
            view.presentScene(scene);
            for (auto& node : look.build()) scene->addChild(node);
            // Only the box around the look is kept.
            Canvas box(int(look.box.size.width), int(look.box.size.height), scale);
            view.render(box.cr(), scale, false, {-look.box.minX() * scale, -(field.height - look.box.maxY()) * scale});
            std::string file = look.name + "@" + std::to_string(scale) + "x.png";
            EXPECT_TRUE(matchesGolden(box.surface(), file))
                << file << " differs from its picture; drawn: golden-failed-" << file;
        }
}
