// The contact pass under load: 2000 small boxes (lasers) against 200 larger ones (enemies),
// all moving every frame, with the game's masks.
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

} // namespace

BENCHMARK_MAIN();
