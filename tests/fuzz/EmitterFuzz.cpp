// libFuzzer target: any bytes as an emitter file. Parsing must fail cleanly or give settings in
// their sane ranges, and a node built from them must simulate and draw without trouble.
#include "Clock.hpp"
#include "SKEmitterNode.hpp"
#include "SKScene.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"

#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    std::vector<std::string> warnings;
    auto settings = SKEmitterNode::parse(std::string_view(reinterpret_cast<const char*>(data), size), error, &warnings);
    if (!settings) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (!(settings->birthRate >= 0 && settings->birthRate <= 10000) || !(settings->lifetime >= 0) ||
        !std::isfinite(settings->speed) || settings->colors.empty())
        std::abort();
    auto emitter = std::make_shared<SKEmitterNode>(*settings);
    emitter->setRandomSeed(1);
    for (int i = 0; i < 30; ++i) emitter->advanceSimulation(1.0 / 60);
    if (emitter->particleCount() > 5000) std::abort();
    // Drawn, as a scene shows it.
    static ManualClock clock;
    static SilentSoundPlayer sound;
    static SKView view({64, 64}, clock, sound);
    static cairo_t* cr = cairo_create(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 64));
    auto scene = std::make_shared<SKScene>(CGSize{64, 64});
    emitter->setPosition({32, 32}), scene->addChild(emitter), view.presentScene(scene);
    view.render(cr, 1);
    return 0;
}
