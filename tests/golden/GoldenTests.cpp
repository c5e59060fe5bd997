// The looks of everything the builders make, each pinned by a picture at one and two pixels a
// point: tests/golden/NAME@1x.png and @2x.png. A look changed on purpose is drawn anew by
// `make golden` and the pictures are looked at before they are committed; a mismatch leaves
// golden-failed-NAME@Nx.png in the build folder.
#include "Clock.hpp"
#include "Entities.hpp"
#include "Hud.hpp"
#include "Pixels.hpp"
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

struct Crop {
    int x, y, width, height;
};

// The pixel differences that count: more than a rounding's worth in any channel.
int differing(cairo_surface_t* a, cairo_surface_t* b)
{
    int n = 0, width = cairo_image_surface_get_width(a), height = cairo_image_surface_get_height(a);
    const unsigned char *pa = cairo_image_surface_get_data(a), *pb = cairo_image_surface_get_data(b);
    int sa = cairo_image_surface_get_stride(a), sb = cairo_image_surface_get_stride(b);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 4; ++x) n += std::abs(pa[y * sa + x] - pb[y * sb + x]) > 24;
    return n;
}

} // namespace

TEST(Golden, EveryBuilderLooksAsItsPictureAtOneAndTwoPixelsAPoint)
{
    bool rewrite = std::getenv("TARVENKO_WRITE_GOLDEN") != nullptr;
    ManualClock clock{100};
    SilentSoundPlayer sound;
    for (const Look& look : looks())
        for (int scale : {1, 2}) {
            SKView view(field, clock, sound);
            auto scene = std::make_shared<SKScene>(field);
            scene->setBackgroundColor(SKColor::blackColor());
            view.presentScene(scene);
            for (auto& node : look.build()) scene->addChild(node);
            Canvas whole(int(field.width), int(field.height), scale);
            view.render(whole.cr(), scale);

            // Only the box around the look is kept.
            Crop c{int(look.box.minX() * scale), int((field.height - look.box.maxY()) * scale),
                   int(look.box.size.width * scale), int(look.box.size.height * scale)};
            cairo_surface_t* drawn = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, c.width, c.height);
            cairo_t* cr = cairo_create(drawn);
            cairo_set_source_surface(cr, cairo_get_target(whole.cr()), -c.x, -c.y);
            cairo_paint(cr);
            cairo_destroy(cr);
            cairo_surface_flush(drawn);

            std::string file = look.name + "@" + std::to_string(scale) + "x.png";
            std::string golden = std::string(TARVENKO_GOLDEN_DIR) + "/" + file;
            if (rewrite) cairo_surface_write_to_png(drawn, golden.c_str());
            cairo_surface_t* expected = cairo_image_surface_create_from_png(golden.c_str());
            bool same = cairo_surface_status(expected) == CAIRO_STATUS_SUCCESS &&
                        cairo_image_surface_get_width(expected) == c.width &&
                        cairo_image_surface_get_height(expected) == c.height &&
                        differing(drawn, expected) <= 4;
            if (!same) cairo_surface_write_to_png(drawn, ("golden-failed-" + file).c_str());
            EXPECT_TRUE(same) << file << " differs from its picture; what was drawn: golden-failed-" << file;
            cairo_surface_destroy(expected);
            cairo_surface_destroy(drawn);
        }
}
