// libFuzzer target: any bytes as an emitter file. Parsing must fail cleanly or give settings in
// their sane ranges, and a node built from them must simulate without trouble.
#include "SKEmitterNode.hpp"

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
    SKEmitterNode emitter(*settings);
    emitter.setRandomSeed(1);
    for (int i = 0; i < 30; ++i) emitter.advanceSimulation(1.0 / 60);
    if (emitter.particleCount() > 5000) std::abort();
    (void)emitter.drawBounds();
    return 0;
}
