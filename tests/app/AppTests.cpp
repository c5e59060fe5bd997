#include "KeyMap.hpp"
#include "TarvenkoApp.hpp"

#include <gtest/gtest.h>

#include <fstream>

TEST(KeyMap, TheSixKeysAndNothingElse)
{
    EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_A), 0);
    EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_D), 2);
    EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_SPACE), 49);
    EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_ESCAPE), 53);
    EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_LEFT), 123);
    EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_RIGHT), 124);
    // No other key may pass for A (code 0).
    int mapped = 0;
    for (int code = 0; code < SDL_NUM_SCANCODES; ++code) mapped += virtualKeyCode(SDL_Scancode(code)).has_value();
    EXPECT_EQ(mapped, 6);
}

namespace {
struct Resources {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "tarvenko-app-test";
    Resources() { std::filesystem::create_directories(dir); }
    ~Resources() { std::filesystem::remove_all(dir); }
};
} // namespace

TEST(TarvenkoApp, FirstSceneComesFromTheSceneResourceOrIsBuiltAt800By600)
{
    Resources r;
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
