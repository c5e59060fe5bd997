#include "Diagnostics.hpp"
#include "SKEmitterNode.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct TempBundle {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("tarvenko-emitter-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempBundle() { std::filesystem::create_directories(dir); }
    ~TempBundle() { std::filesystem::remove_all(dir); }
    void write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }
    SKBundle bundle() const { return SKBundle(dir); }
};

const char* burst = R"({
  "birthRate": 2400, "numParticlesToEmit": 80,
  "lifetime": 0.5, "lifetimeRange": 0.2,
  "emissionAngle": 90, "emissionAngleRange": 360,
  "speed": 120, "speedRange": 60,
  "radius": 3, "alphaSpeed": -1.5,
  "colors": [{"at": 0, "color": [1, 1, 0.6]}, {"at": 1, "color": [1, 0.3, 0, 1]}],
  "blendMode": "add"
})";

} // namespace

TEST(SKEmitterNode, LoadsAGoodFileAndRunsItsParticles)
{
    TempBundle t;
    t.write("Explosion.emitter.json", burst);
    testing::internal::CaptureStderr();
    auto emitter = SKEmitterNode::nodeWithFileNamed("Explosion", t.bundle());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(emitter);
    EXPECT_EQ(emitter->settings().numParticlesToEmit, 80);
    EXPECT_TRUE(emitter->settings().additive);
    EXPECT_EQ(emitter->settings().colors.front().color, (SKColor{1, 1, 0.6, 1}));

    emitter->setRandomSeed(7);
    emitter->advanceSimulation(1.0 / 60);
    EXPECT_EQ(emitter->particleCount(), 40u) << "2400 per second for one frame";
    for (int i = 0; i < 60; ++i) emitter->advanceSimulation(1.0 / 60);
    EXPECT_EQ(emitter->emittedCount(), 80) << "stops at numParticlesToEmit";
    EXPECT_EQ(emitter->particleCount(), 0u) << "every particle outlived";
}

TEST(SKEmitterNode, MissingOrBrokenFilesGiveNothingAndSayWhyOnce)
{
    TempBundle t;
    Diagnostics::Capture told;
    EXPECT_FALSE(SKEmitterNode::nodeWithFileNamed("Explosion", t.bundle()));
    EXPECT_FALSE(SKEmitterNode::nodeWithFileNamed("Explosion", t.bundle()));
    auto lines = told.take();
    ASSERT_EQ(lines.size(), 1u) << "an emitter is loaded on every hit: the cause is told once";
    EXPECT_NE(lines[0].find("Explosion.emitter.json is missing"), std::string::npos) << lines[0];

    struct Case {
        const char* text;
        const char* reason;
    } cases[] = {
        {"{\"birthRate\": 10", "not valid JSON"},
        {"[1, 2]", "the top level is not an object"},
        {"{\"birthRate\": \"many\"}", "\"birthRate\" is not a number"},
        {"{\"brithRate\": 10}", "unknown field \"brithRate\""},
        {"{\"acceleration\": [0]}", "\"acceleration\" is not [x, y]"},
        {"{\"colors\": [{\"at\": 0}]}", "a colour stop is not"},
        {"{\"blendMode\": \"screen\"}", "\"blendMode\" is neither"},
    };
    for (const Case& c : cases) {
        t.write("Broken.emitter.json", c.text);
        EXPECT_FALSE(SKEmitterNode::nodeWithFileNamed("Broken", t.bundle())) << c.text;
        EXPECT_FALSE(SKEmitterNode::nodeWithFileNamed("Broken", t.bundle())) << c.text;
        lines = told.take();
        ASSERT_EQ(lines.size(), 1u) << c.text;
        EXPECT_NE(lines[0].find("Broken.emitter.json"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
    }
}

TEST(SKEmitterNode, AbsurdValuesAreClampedWithAWarning)
{
    std::string error;
    std::vector<std::string> warnings;
    auto s = SKEmitterNode::parse(R"({"birthRate": 1e9, "lifetime": -3, "alpha": 2, "numParticlesToEmit": 1e12})",
                                  error, &warnings);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->birthRate, 10000);
    EXPECT_EQ(s->lifetime, 0);
    EXPECT_EQ(s->alpha, 1);
    EXPECT_EQ(s->numParticlesToEmit, 100000);
    EXPECT_EQ(warnings.size(), 4u);

    // A flood of births never holds more than the live cap.
    SKEmitterNode flood(*SKEmitterNode::parse(R"({"birthRate": 10000, "lifetime": 60})", error));
    for (int i = 0; i < 60; ++i) flood.advanceSimulation(1.0);
    EXPECT_LE(flood.particleCount(), 5000u);

    EXPECT_FALSE(SKEmitterNode::parse(R"({"speed": NaN})", error));
}
