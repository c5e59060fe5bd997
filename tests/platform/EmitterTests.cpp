#include "Diagnostics.hpp"
#include "SKEmitterNode.hpp"
#include "Support.hpp"

TEST(SKEmitterNode, LoadsAGoodFileAndRunsItsParticlesToTheEnd)
{
    TempDir t;
    t.write("Explosion.emitter.json", R"({
      "birthRate": 2400, "numParticlesToEmit": 80, "lifetime": 0.5, "lifetimeRange": 0.2,
      "emissionAngle": 90, "emissionAngleRange": 360, "speed": 120, "speedRange": 60,
      "radius": 3, "alphaSpeed": -1.5, "blendMode": "add",
      "colors": [{"at": 0, "color": [1, 1, 0.6]}, {"at": 1, "color": [1, 0.3, 0, 1]}]
    })");
    Diagnostics::Capture told;
    auto emitter = SKEmitterNode::nodeWithFileNamed("Explosion", SKBundle(t.dir));
    ASSERT_TRUE(emitter);
    EXPECT_TRUE(told.take().empty());
    EXPECT_TRUE(emitter->settings().additive);
    EXPECT_EQ(emitter->settings().colors.front().color, (SKColor{1, 1, 0.6, 1}));
    emitter->advanceSimulation(1.0 / 60);
    EXPECT_EQ(emitter->particleCount(), 40u) << "2400 per second for one frame";
    for (int i = 0; i < 60; ++i) emitter->advanceSimulation(1.0 / 60);
    EXPECT_EQ(emitter->emittedCount(), 80) << "stops at numParticlesToEmit";
    EXPECT_EQ(emitter->particleCount(), 0u) << "every particle outlived";
}

TEST(SKEmitterNode, MissingBrokenOrAbsurdFilesSayWhyOnce)
{
    TempDir t;
    Diagnostics::Capture told;
    struct Case {
        const char* text; // nothing: no file
        const char* reason;
    } cases[] = {
        {nullptr, "Explosion.emitter.json is missing"},
        {"{\"birthRate\": 10", "not valid JSON"},
        {"[1, 2]", "the top level is not an object"},
        {"{\"birthRate\": \"many\"}", "\"birthRate\" is not a number"},
        {"{\"brithRate\": 10}", "unknown field \"brithRate\""},
        {"{\"acceleration\": [0]}", "\"acceleration\" is not [x, y]"},
        {"{\"colors\": [{\"at\": 0}]}", "a colour stop is not"},
        {"{\"blendMode\": \"screen\"}", "\"blendMode\" is neither"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(t.dir / "Explosion.emitter.json");
        if (c.text) t.write("Explosion.emitter.json", c.text);
        // An emitter is loaded on every hit: the cause is told once.
        EXPECT_FALSE(SKEmitterNode::nodeWithFileNamed("Explosion", SKBundle(t.dir)));
        EXPECT_FALSE(SKEmitterNode::nodeWithFileNamed("Explosion", SKBundle(t.dir)));
        auto lines = told.take();
        ASSERT_EQ(lines.size(), 1u) << c.reason;
        EXPECT_NE(lines[0].find("Explosion.emitter.json"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
    }
    std::string error;
    EXPECT_FALSE(SKEmitterNode::parse(R"({"speed": NaN})", error));
    std::vector<std::string> warnings;
    auto s = SKEmitterNode::parse(R"({"birthRate": 1e9, "lifetime": -3, "alpha": 2, "numParticlesToEmit": 1e12})",
                                  error, &warnings);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->birthRate + s->lifetime + s->alpha + s->numParticlesToEmit, 10000 + 0 + 1 + 100000) << "clamped";
    EXPECT_EQ(warnings.size(), 4u);
    // A flood of births never holds more than the live cap.
    SKEmitterNode flood(*SKEmitterNode::parse(R"({"birthRate": 10000, "lifetime": 60})", error));
    for (int i = 0; i < 60; ++i) flood.advanceSimulation(1.0);
    EXPECT_LE(flood.particleCount(), 5000u);
}
