// The crowd scene: a fixed, deterministic scene far heavier than a real game (2000 lasers, 200
// enemies, 1000 particles), run through the engine's own nodes, contact pass, view and renderer.
//   crowd [--scale N] [--shot FILE]
// Prints: crowd mean_ms=… p50_ms=… p99_ms=… frames=600 rss_mb=…
#include "Clock.hpp"
#include "SKLabelNode.hpp"
#include "SKPhysicsBody.hpp"
#include "SKScene.hpp"
#include "SKShapeNode.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"
#include "Stats.hpp"

#include <cairo.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double dt = 1.0 / 60;

struct XorShift32 {
    std::uint32_t x = 123456789;
    double operator()(double a, double b)
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return a + (b - a) * (x / 4294967296.0);
    }
};

std::shared_ptr<SKShapeNode> shape(CGPath path, SKColor fill, SKColor stroke, CGFloat lineWidth)
{
    auto node = SKShapeNode::shapeNodeWithPath(std::move(path));
    node->setFillColor(fill);
    node->setStrokeColor(stroke);
    node->setLineWidth(lineWidth);
    return node;
}

void giveBody(SKNode& node, CGSize size, std::uint32_t category, std::uint32_t test)
{
    auto body = SKPhysicsBody::bodyWithRectangleOfSize(size);
    body->setCategoryBitMask(category);
    body->setContactTestBitMask(test);
    body->setCollisionBitMask(0);
    node.setPhysicsBody(body);
}

std::shared_ptr<SKLabelNode> label(const char* text, SKColor color, CGFloat size, CGPoint at)
{
    auto l = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    l->setText(text);
    l->setFontColor(color);
    l->setFontSize(size);
    l->setNumberOfLines(0);
    l->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    l->setPosition(at);
    return l;
}

class CrowdScene : public SKScene, public SKPhysicsContactDelegate {
public:
    CrowdScene() : SKScene(CGSize{800, 600}) {}

    std::int64_t contacts = 0;

    void didMoveToView(SKView&) override
    {
        setBackgroundColor(SKColor::blackColor());
        physicsWorld().setGravity({0, 0});
        physicsWorld().setContactDelegate(this);
        const SKColor clear = SKColor::clearColor();

        for (int i = 0; i < 30; ++i) {
            Star s;
            CGFloat x = rng(0, 800), y = rng(0, 600), r = rng(1, 3);
            s.node = shape(CGPath::ellipseInRect({{-r, -r}, {2 * r, 2 * r}}), SKColor::whiteColor(), clear, 1);
            s.node->setAlpha(rng(0.4, 1));
            s.v = rng(103, 207);
            s.node->setPosition({x, y});
            addChild(s.node);
            stars.push_back(s);
        }
        for (int i = 0; i < 200; ++i) {
            CGFloat x = rng(30, 770), y = rng(-40, 625);
            auto flame = shape(CGPath::closedPolygon({{-4, 20}, {0, 35}, {4, 20}}), SKColor::magentaColor(),
                               SKColor::cyanColor(), 1.0);
            auto hull = shape(CGPath::closedPolygon({{-6, -20}, {-3, -10}, {3, -10}, {6, -20}, {10, -5}, {25, 10},
                                                     {12, 15}, {6, 20}, {-6, 20}, {-12, 15}, {-25, 10}, {-10, -5}}),
                              SKColor::purpleColor(), SKColor::magentaColor(), 1.5);
            auto core = shape(CGPath::ellipseInRect({{-4, -4}, {8, 8}}), SKColor::redColor(), SKColor::yellowColor(), 0.5);
            flame->setZPosition(-1);
            hull->addChild(flame);
            hull->addChild(core);
            hull->setPosition({x, y});
            hull->setZPosition(3); // its flame at 2, over the lasers
            giveBody(*hull, {50, 45}, 4, 3);
            addChild(hull);
            enemies.push_back(hull);
            flames.push_back(flame);
        }
        for (int i = 0; i < 2000; ++i) {
            CGFloat x = rng(0, 800), y = rng(130, 620);
            auto laser = SKShapeNode::shapeNodeWithRectOfSize({4, 15}, 2);
            laser->setFillColor(SKColor::redColor());
            laser->setStrokeColor(clear);
            laser->setPosition({x, y});
            giveBody(*laser, {4, 15}, 2, 4);
            addChild(laser);
            lasers.push_back(laser);
        }
        // Drawn in this order: stars, lasers, enemies, the player, particles, labels.
        for (auto& laser : lasers) laser->setZPosition(1);

        auto player = shape(CGPath::closedPolygon({{0, 40}, {7, 25}, {8, -5}, {28, -20}, {28, -25}, {12, -20},
                                                   {12, -25}, {-12, -25}, {-12, -20}, {-28, -25}, {-28, -20},
                                                   {-8, -5}, {-7, 25}}),
                            SKColor::whiteColor(), SKColor::lightGrayColor(), 1.5);
        player->setPosition({400, 100});
        player->setZPosition(5);
        for (CGFloat fx : {-7.0, 0.0, 7.0}) {
            auto f = shape(CGPath::closedPolygon({{fx - 3, -25}, {fx, -45}, {fx + 3, -25}}), SKColor::cyanColor(),
                           SKColor::orangeColor(), 1.0);
            f->setZPosition(-1);
            player->addChild(f);
        }
        player->addChild(shape(CGPath::closedPolygon({{0, 40}, {5, 30}, {-5, 30}}), SKColor::darkGrayColor(), clear, 1));
        player->addChild(shape(CGPath::closedPolygon({{-4, 25}, {4, 25}, {2, 20}, {-2, 20}}), SKColor::cyanColor(), clear, 1));
        addChild(player);

        for (int e = 0; e < 10; ++e) {
            CGPoint centre{80.0 + 160 * (e % 5), 180.0 + 240 * (e / 5)};
            for (int i = 0; i < 100; ++i) {
                Particle p;
                double angle = rng(0, 2 * std::numbers::pi), speed = rng(50, 150), r = rng(2, 4), c = rng(0, 1);
                p.age = rng(0, 1);
                p.v = {std::cos(angle) * speed, std::sin(angle) * speed};
                p.centre = centre;
                p.node = shape(CGPath::ellipseInRect({{-r, -r}, {2 * r, 2 * r}}), SKColor{1, 0.5 + 0.5 * c, 0, 1}, clear, 1);
                p.node->setPosition({centre.x + p.v.dx * p.age, centre.y + p.v.dy * p.age});
                p.node->setAlpha(1 - p.age);
                p.node->setZPosition(6);
                addChild(p.node);
                particles.push_back(p);
            }
        }

        for (auto& l : {label("SKOR: 12345", SKColor::whiteColor(), 24, {100, 550}),
                        label("CAN: ❤️ ❤️ 🖤", SKColor::redColor(), 24, {650, 550}),
                        label("OYUN DURDURULDU\n(Devam etmek için 'ESC' tuşuna basın)", SKColor::yellowColor(), 30, {400, 300})}) {
            l->setZPosition(7);
            addChild(l);
        }
    }

    void update(double) override
    {
        t += dt;
        for (Star& s : stars) {
            CGPoint p = s.node->position();
            p.y -= s.v * dt;
            if (p.y < -10) p = {rng(0, 800), 610};
            s.node->setPosition(p);
        }
        for (auto& e : enemies) {
            CGPoint p = e->position();
            p.y -= 166.25 * dt;
            if (p.y < -40) p = {rng(30, 770), 625};
            e->setPosition(p);
        }
        for (auto& l : lasers) {
            CGPoint p = l->position();
            p.y += 490 * dt;
            if (p.y > 620) p = {rng(0, 800), 130};
            l->setPosition(p);
        }
        for (Particle& p : particles) {
            p.age += dt;
            CGPoint at = p.node->position();
            if (p.age >= 1) {
                p.age -= 1;
                at = p.centre;
            } else {
                at = {at.x + p.v.dx * dt, at.y + p.v.dy * dt};
            }
            p.node->setPosition(at);
            p.node->setAlpha(1 - p.age);
        }
        double phase = std::fmod(t, 0.12) / 0.12;
        double scale = phase < 0.5 ? 0.8 + phase : 1.8 - phase;
        for (auto& f : flames) f->setYScale(scale);
    }

    void didBeginContact(const SKPhysicsContact&) override { ++contacts; }

private:
    struct Star {
        std::shared_ptr<SKShapeNode> node;
        double v;
    };
    struct Particle {
        std::shared_ptr<SKShapeNode> node;
        CGVector v;
        CGPoint centre;
        double age;
    };
    XorShift32 rng;
    double t = 0;
    std::vector<Star> stars;
    std::vector<std::shared_ptr<SKNode>> enemies, lasers, flames;
    std::vector<Particle> particles;
};

} // namespace

int main(int argc, char** argv)
{
    double scale = 1;
    const char* shot = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--scale") && i + 1 < argc) scale = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--shot") && i + 1 < argc) shot = argv[++i];
        else {
            std::fprintf(stderr, "usage: crowd [--scale N] [--shot FILE]\n");
            return 2;
        }
    }
    if (!(scale >= 1 && scale <= 4)) {
        std::fprintf(stderr, "crowd: --scale must be between 1 and 4\n");
        return 2;
    }

    ManualClock clock(1000);
    SilentSoundPlayer sound;
    SKView view({800, 600}, clock, sound);
    auto scene = std::make_shared<CrowdScene>();
    view.presentScene(scene);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(800 * scale), int(600 * scale));
    cairo_t* cr = cairo_create(surface);

    std::vector<double> times, ticks;
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    for (int frame = 0; frame < 660; ++frame) {
        auto start = Clock::now();
        clock.advance(dt);
        view.tick();
        auto ticked = Clock::now();
        view.render(cr, scale);
        cairo_surface_flush(surface);
        auto end = Clock::now();
        if (frame == 59 && shot) cairo_surface_write_to_png(surface, shot);
        if (frame >= 60) times.push_back(ms(start, end)), ticks.push_back(ms(start, ticked));
    }
    std::printf("crowd %s frames=%zu rss_mb=%.1f\n", summarise(times).c_str(), times.size(), peakRssMb());
    std::fprintf(stderr, "crowd: scale %.0f; update, actions and contacts alone: %s; %lld contacts began\n", scale,
                 summarise(ticks).c_str(), static_cast<long long>(scene->contacts));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return 0;
}
