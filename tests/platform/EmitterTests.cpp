#include "Diagnostics.hpp"
#include "SKEmitterNode.hpp"
#include "Support.hpp"

// A good file runs its particles to the end; a missing, broken or absurd one says why, once.
TEST(SKEmitterNode, LoadsAGoodFileAndSaysWhyOtherFilesCannotBeUsedOnce)
{
    TempDir t;
    Diagnostics::Capture told;
    t.write("Explosion.emitter.json", R"({
      "birthRate": 2400, "numParticlesToEmit": 80, "lifetime": 0.5, "lifetimeRange": 0.2,
      "emissionAngle": 90, "emissionAngleRange": 360, "speed": 120, "speedRange": 60,
      "radius": 3, "alphaSpeed": -1.5, "blendMode": "add",
      "colors": [{"at": 0, "color": [1, 1, 0.6]}, {"at": 1, "color": [1, 0.3, 0, 1]}]
    })");
    auto emitter = SKEmitterNode::nodeWithFileNamed("Explosion", SKBundle(t.dir));
    ASSERT_TRUE(emitter && told.take().empty());
    EXPECT_TRUE(emitter->settings().additive && emitter->settings().colors.front().color == (SKColor{1, 1, 0.6, 1}));
    emitter->advanceSimulation(1.0 / 60);
    EXPECT_EQ(emitter->particleCount(), 40u) << "2400 per second for one frame";
    for (int i = 0; i < 60; ++i) emitter->advanceSimulation(1.0 / 60);
    EXPECT_EQ(emitter->emittedCount() * 10 + emitter->particleCount(), 800u) << "80 at most, every one outlived";
    const char* stop = "a colour stop is not {\"at";
    std::pair<std::string, const char*> cases[] = { // "-": no file
        {"-", "is missing"}, {"{\"birthRate\": 10", "not valid JSON"}, {"[1, 2]", "the top level is not an object"},
        {"{\"birthRate\": \"many\"}", "\"birthRate\" is not a number"},
        {"{\"brithRate\": 10}", "unknown field \"brithRate\""},
        {"{\"acceleration\": [0]}", "\"acceleration\" is not [x, y]"}, {"{\"colors\": []}", "\"colors\" is not a list"},
        {"{\"colors\": [{\"at\": 0}]}", stop}, {"{\"colors\": [1]}", stop},
        {"{\"colors\": [{\"at\": 0, \"color\": [1, 1, 1], \"x\": 1}]}", stop},
        {"{\"colors\": [{\"color\": [1, 1, 1], \"x\": 1}]}", stop}, {"{\"colors\": [{\"at\": 0, \"x\": 1}]}", stop},
        {"{\"blendMode\": \"screen\"}", "\"blendMode\" is neither"},
        {"{\"radius\": 1}" + std::string(1100000, ' '), "too large"},
    };
    int n = 0;
    for (auto& [text, reason] : cases) {
        std::string name = "E" + std::to_string(++n); // a line of its own for each
        if (text != "-") t.write(name + ".emitter.json", text);
        // An emitter is loaded on every hit: the cause is told once.
        EXPECT_FALSE(SKEmitterNode::nodeWithFileNamed(name, SKBundle(t.dir)) ||
                     SKEmitterNode::nodeWithFileNamed(name, SKBundle(t.dir)));
        auto lines = told.take();
        ASSERT_EQ(lines.size(), 1u) << reason;
        EXPECT_NE(lines[0].find("/" + name + ".emitter.json"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
    }
    t.write("Absurd.emitter.json", "{\"birthRate\": 1e9}"); // clamped, and said once
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(SKEmitterNode::nodeWithFileNamed("Absurd", SKBundle(t.dir)));
    EXPECT_EQ(told.take().size(), 1u);
    t.write("Largest.emitter.json", "{\"radius\": 1}" + std::string((1 << 20) - 13, ' '));
    EXPECT_TRUE(SKEmitterNode::nodeWithFileNamed("Largest", SKBundle(t.dir))) << "a file of exactly 1 MiB is read";
}

// Numbers past their bounds are clamped with a warning each; the values between pass untouched.
TEST(SKEmitterNode, EveryBoundClampsWhatIsPastItAndNothingElse)
{
    std::string error;
    EXPECT_FALSE(SKEmitterNode::parse(R"({"speed": NaN})", error));
    EXPECT_EQ(SKEmitterNode::parse("{}", error)->radius, 2) << "the default particle";
    std::vector<std::string> warnings;
    auto s = SKEmitterNode::parse(R"({"birthRate": 1e9, "lifetime": -3, "alpha": 2, "numParticlesToEmit": 1e12,
        "emissionAngle": 360.5, "emissionAngleRange": 360.5})", error, &warnings);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->birthRate + s->lifetime + s->alpha + s->numParticlesToEmit, 10000 + 0 + 1 + 100000);
    EXPECT_EQ(s->emissionAngle + s->emissionAngleRange, 720);
    EXPECT_EQ(warnings.size(), 6u);
    warnings.clear();
    auto w = SKEmitterNode::parse(R"({"lifetime": 0.5, "lifetimeRange": 0.5, "speedRange": 0.5, "radius": 0.5,
        "scale": 0.5, "scaleRange": 0.5, "alpha": 0.5, "alphaRange": 0.5, "birthRate": 0.5, "numParticlesToEmit": 0,
        "speed": -9999, "scaleSpeed": -99, "alphaSpeed": -99, "positionRange": [-9999, 0.5],
        "emissionAngle": -359.5, "emissionAngleRange": 0.5, "blendMode": "alpha"})", error, &warnings);
    ASSERT_TRUE(w && warnings.empty() && !w->additive) << error;
    EXPECT_EQ(w->lifetime + w->lifetimeRange + w->speedRange + w->radius + w->scale + w->scaleRange + w->alpha +
                  w->alphaRange + w->birthRate + w->positionRange.dx + w->positionRange.dy,
              0.5 * 9 + 9999 + 0.5);
    EXPECT_EQ(w->speed + w->scaleSpeed + w->alphaSpeed + w->emissionAngle + w->emissionAngleRange,
              -9999 - 99 - 99 - 359);
    // A flood of births never holds more than the live cap.
    SKEmitterNode flood(*SKEmitterNode::parse(R"({"birthRate": 10000, "lifetime": 60})", error));
    for (int i = 0; i < 60; ++i) flood.advanceSimulation(1.0);
    EXPECT_LE(flood.particleCount(), 5000u);
}
