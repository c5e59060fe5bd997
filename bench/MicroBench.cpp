// Micro-benchmarks of the engine's passes: contacts, actions, text layout.
#include "SKAction.hpp"
#include "SKLabelNode.hpp"
#include "SKPhysicsBody.hpp"
#include "SKScene.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

struct XorShift {
    std::uint32_t x = 123456789;
    double uniform(double a, double b)
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return a + (b - a) * (x / 4294967296.0);
    }
};

struct Counter : SKPhysicsContactDelegate {
    std::int64_t begun = 0;
    void didBeginContact(const SKPhysicsContact&) override { ++begun; }
};

std::shared_ptr<SKNode> boxed(CGSize size, std::uint32_t category, std::uint32_t test)
{
    auto node = SKNode::node();
    auto body = SKPhysicsBody::bodyWithRectangleOfSize(size);
    body->setCategoryBitMask(category);
    body->setContactTestBitMask(test);
    body->setCollisionBitMask(0);
    node->setPhysicsBody(body);
    return node;
}

// The contact pass under load: 2000 small boxes (lasers) against 200 larger ones (enemies),
// all moving every frame, with the game's masks.
void ContactPass2000Against200(benchmark::State& state)
{
    XorShift rng;
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    Counter counter;
    scene->physicsWorld().setGravity({0, 0});
    scene->physicsWorld().setContactDelegate(&counter);
    std::vector<std::shared_ptr<SKNode>> enemies, lasers;
    for (int i = 0; i < 200; ++i) {
        enemies.push_back(boxed({50, 45}, 4, 3));
        enemies.back()->setPosition({rng.uniform(30, 770), rng.uniform(-40, 625)});
        scene->addChild(enemies.back());
    }
    for (int i = 0; i < 2000; ++i) {
        lasers.push_back(boxed({4, 15}, 2, 4));
        lasers.back()->setPosition({rng.uniform(0, 800), rng.uniform(130, 620)});
        scene->addChild(lasers.back());
    }
    const double dt = 1.0 / 60;
    for (auto _ : state) {
        for (auto& e : enemies) {
            CGPoint p = e->position();
            p.y -= 166.25 * dt;
            if (p.y < -40) p = {rng.uniform(30, 770), 625};
            e->setPosition(p);
        }
        for (auto& l : lasers) {
            CGPoint p = l->position();
            p.y += 490 * dt;
            if (p.y > 620) p = {rng.uniform(0, 800), 130};
            l->setPosition(p);
        }
        scene->simulatePhysics(dt);
    }
    state.counters["contacts_per_frame"] = benchmark::Counter(double(counter.begun) / state.iterations());
}
BENCHMARK(ContactPass2000Against200)->Unit(benchmark::kMicrosecond);

// The action pass over a game-like crowd: 1000 nodes each flickering for ever (a repeated pair of
// scale steps, like an engine flame) and 1000 each on a long move, one frame at a time.
void ActionPass2000Nodes(benchmark::State& state)
{
    auto scene = std::make_shared<SKScene>(CGSize{800, 600});
    auto flicker = SKAction::repeatActionForever(SKAction::sequence({SKAction::scaleYTo(1.3, 0.06), SKAction::scaleYTo(0.8, 0.06)}));
    for (int i = 0; i < 1000; ++i) {
        auto flame = SKNode::node();
        flame->runAction(flicker);
        scene->addChild(flame);
        auto mover = SKNode::node();
        mover->runAction(SKAction::sequence({SKAction::moveToY(-1e9, 1e9), SKAction::removeFromParent()}));
        scene->addChild(mover);
    }
    for (auto _ : state) scene->evaluateActions(1.0 / 60, {});
}
BENCHMARK(ActionPass2000Nodes)->Unit(benchmark::kMicrosecond);

// A label whose text changes, as the score does on a hit: layout and bounds afresh.
void TextLayoutOfAChangedScore(benchmark::State& state)
{
    auto label = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    label->setFontSize(24);
    int score = 0;
    for (auto _ : state) {
        label->setText("SKOR: " + std::to_string(score += 10));
        benchmark::DoNotOptimize(label->frame());
    }
}
BENCHMARK(TextLayoutOfAChangedScore)->Unit(benchmark::kMicrosecond);

// The same label with nothing changed: what every frame asks of it.
void TextLayoutUnchanged(benchmark::State& state)
{
    auto label = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    label->setText("CAN: ❤️ ❤️ 🖤");
    label->setFontSize(24);
    for (auto _ : state) benchmark::DoNotOptimize(label->frame());
}
BENCHMARK(TextLayoutUnchanged)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
