#include "Letterbox.hpp"
#include "Support.hpp"
#include "TarvenkoApp.hpp"

#include <gtest/gtest.h>

#include <fstream>

TEST(TarvenkoApp, FirstSceneComesFromTheSceneResourceOrIsBuiltAt800By600)
{
    TempDir r;
    TarvenkoApp plain{SKBundle(r.dir)};
    auto& scene = plain.scene();
    EXPECT_EQ(scene->size(), (CGSize{800, 600}));
    EXPECT_EQ(scene->scaleMode(), SKSceneScaleMode::resizeFill);
    EXPECT_EQ(plain.scene(), scene) << "made once";

    std::ofstream(r.dir / "GameScene.scene.json") << R"({"size": [1024, 768]})";
    TarvenkoApp fromFile{SKBundle(r.dir)};
    EXPECT_EQ(fromFile.scene()->size(), (CGSize{1024, 768}));
    EXPECT_EQ(fromFile.scene()->scaleMode(), SKSceneScaleMode::resizeFill);

    std::ofstream(r.dir / "GameScene.scene.json") << R"({"size": [0, 768]})";
    testing::internal::CaptureStderr();
    TarvenkoApp broken{SKBundle(r.dir)};
    EXPECT_EQ(broken.scene()->size(), (CGSize{800, 600}));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("GameScene.scene.json"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST(Letterbox, TheViewFillsWhatFitsCentredAndClicksComeBackThroughIt)
{
    constexpr CGSize view{800, 600};
    EXPECT_EQ(Letterbox::fit(view, 800, 600), (Letterbox{1, {0, 0}}));
    EXPECT_EQ(Letterbox::fit(view, 1600, 1200), (Letterbox{2, {0, 0}})) << "HiDPI: twice the pixels";
    EXPECT_EQ(Letterbox::fit(view, 1280, 720), (Letterbox{1.2, {160, 0}})) << "bars left and right";
    EXPECT_EQ(Letterbox::fit(view, 800, 1000), (Letterbox{1, {0, 200}})) << "bars above and below";
    EXPECT_EQ(Letterbox::fit(view, 640, 480), (Letterbox{0.8, {0, 0}}));

    Letterbox wide = Letterbox::fit(view, 1280, 720);
    EXPECT_EQ(wide.toView({160, 0}, view), (CGPoint{0, 600})) << "the view's top-left corner";
    EXPECT_EQ(wide.toView({640, 360}, view), (CGPoint{400, 300}));
    EXPECT_EQ(wide.toView({640, 720 - 188 * 1.2}, view), (CGPoint{400, 188})) << "Devam Et";
    EXPECT_LT(wide.toView({100, 360}, view).x, 0) << "a click on a bar lands outside the view";
}

TEST(Letterbox, AWindowOpensAtTheDesktopsScaleOrTheLargestThatFits)
{
    constexpr CGSize view{800, 600};
    EXPECT_EQ(windowScale(view, 1, {1920, 1080}), 1);
    EXPECT_EQ(windowScale(view, 2, {1920, 1200}), 2);
    EXPECT_DOUBLE_EQ(windowScale(view, 2, {1920, 1080}), 1.8) << "GDK_SCALE=2 on a 1080p screen";
    EXPECT_DOUBLE_EQ(windowScale(view, 1, {640, 480}), 0.8) << "below 1 on a small screen";
    EXPECT_DOUBLE_EQ(windowScale(view, 1, {1024, 500}), 500.0 / 600) << "the tighter side decides";
    EXPECT_EQ(windowScale(view, 2, {0, 0}), 2) << "no area known: the desktop's scale";
}
