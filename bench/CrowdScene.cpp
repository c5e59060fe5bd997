// The crowd scene: a fixed, deterministic scene far heavier than a real game (2000 lasers, 200
// enemies, 1000 particles), run through the engine's own nodes, contact pass, view and renderer.
//   crowd [--scale N] [--crowd K] [--blender scalar|SSE2|AVX2|AVX-512] [--bands 1|2] [--shot FILE]
// Prints: crowd mean_ms=… p50_ms=… p99_ms=… frames=600 rss_mb=…, then a model of the frame: the
// work it does and the time each part takes, beside what this machine does at best for that
// work (the widest blend loop over as many pixels, a fill of as many bytes), and what a load
// costs as the memory a frame reads grows.
// --crowd K draws K times the crowd on a field K times as wide, so the work per node stays the
// same and the cost per node shows how the engine scales.
#include "Blend.hpp"
#include "Clock.hpp"
#include "ContactPass.hpp"
#include "SKLabelNode.hpp"
#include "SKPhysicsBody.hpp"
#include "SKRenderer.hpp"
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
#include <functional>
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
    explicit CrowdScene(double crowd) : SKScene(CGSize{800 * crowd, 600}), crowd_(crowd), width_(800 * crowd) {}

    std::int64_t contacts = 0;

    void didMoveToView(SKView&) override
    {
        setBackgroundColor(SKColor::blackColor());
        physicsWorld().setGravity({0, 0});
        physicsWorld().setContactDelegate(this);
        const SKColor clear = SKColor::clearColor();

        for (int i = 0; i < count(30); ++i) {
            Star s;
            CGFloat x = rng(0, width_), y = rng(0, 600), r = rng(1, 3);
            s.node = shape(CGPath::ellipseInRect({{-r, -r}, {2 * r, 2 * r}}), SKColor::whiteColor(), clear, 1);
            s.node->setAlpha(rng(0.4, 1));
            s.v = rng(103, 207);
            s.node->setPosition({x, y});
            addChild(s.node);
            stars.push_back(s);
        }
        for (int i = 0; i < count(200); ++i) {
            CGFloat x = rng(30, width_ - 30), y = rng(-40, 625);
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
        for (int i = 0; i < count(2000); ++i) {
            CGFloat x = rng(0, width_), y = rng(130, 620);
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

        const int explosions = count(10), columns = (explosions + 1) / 2;
        for (int e = 0; e < explosions; ++e) {
            CGPoint centre{80.0 + 160 * (e % columns), 180.0 + 240 * (e / columns)};
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
            if (p.y < -10) p = {rng(0, width_), 610};
            s.node->setPosition(p);
        }
        for (auto& e : enemies) {
            CGPoint p = e->position();
            p.y -= 166.25 * dt;
            if (p.y < -40) p = {rng(30, width_ - 30), 625};
            e->setPosition(p);
        }
        for (auto& l : lasers) {
            CGPoint p = l->position();
            p.y += 490 * dt;
            if (p.y > 620) p = {rng(0, width_), 130};
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

    // Every node drawn: stars, enemies with flame and core, lasers, the player's six, particles
    // and labels.
    [[nodiscard]] std::size_t nodes() const
    {
        return stars.size() + 3 * enemies.size() + lasers.size() + 6 + particles.size() + 3;
    }

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
    [[nodiscard]] int count(int atOne) const { return int(std::lround(atOne * crowd_)); }

    double crowd_, width_;
    XorShift32 rng;
    double t = 0;
    std::vector<Star> stars;
    std::vector<std::shared_ptr<SKNode>> enemies, lasers, flames;
    std::vector<Particle> particles;
};

} // namespace

// One run of some work, in milliseconds.
double timed(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The best of several runs of some work, in milliseconds.
double fastest(const std::function<void()>& work)
{
    double best = 1e9;
    for (int run = 0; run < 30; ++run) best = std::min(best, timed(work));
    return best;
}

// Nanoseconds a load takes that waits on the one before, each to a random cache line of a block
// this large: what a walk over scattered nodes and sprites pays once they leave the caches.
double dependentLoadNs(std::size_t bytes)
{
    struct alignas(64) Line {
        Line* next;
    };
    std::vector<Line> lines(std::max<std::size_t>(2, bytes / sizeof(Line)));
    std::vector<std::size_t> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    XorShift32 rng;
    for (std::size_t i = order.size() - 1; i > 1; --i) std::swap(order[i], order[1 + std::size_t(rng(0, double(i)))]);
    for (std::size_t i = 0; i < order.size(); ++i) lines[order[i]].next = &lines[order[(i + 1) % order.size()]];
    const Line* at = &lines[0];
    constexpr int steps = 1000000;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; ++i) at = at->next;
    double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / steps;
    return at ? ns : 0;
}

// Means over the measured frames of what the renderer and the contact pass report.
struct Model {
    SKRenderer::Work draw{};
    ContactPass::Work contacts{};
    double updateMs = 0;
    int frames = 0;

    void add(const SKRenderer::Work& w, const ContactPass::Work& c, double update)
    {
        draw.addCounts(w);
        draw.bands += w.bands;
        draw.placeMs += w.placeMs, draw.fillMs += w.fillMs, draw.drawMs += w.drawMs;
        contacts.bodies += c.bodies, contacts.binned += c.binned, contacts.compared += c.compared;
        updateMs += update;
        ++frames;
    }

    void print(std::size_t nodes, int width, int height, std::size_t spriteBytes) const
    {
        double n = frames;
        double pixels = double(draw.solidPixels + draw.fadedPixels + draw.particlePixels + draw.textPixels) / n;
        double filled = double(draw.filledBytes) / n, frameBytes = double(width) * height * 4;

        // The ceilings: the widest loop over as many translucent pixels, as long rows of the
        // frame; a fill of as many bytes; a copy of the whole frame.
        std::vector<std::uint32_t> target(std::size_t(width) * height), source(target.size(), 0x80402010u);
        blend::Pixels to{target.data(), width};
        int rows = int(std::min(double(height), std::ceil(pixels / width)));
        double blendCeiling = fastest([&] {
            for (double left = pixels; left > 0; left -= double(width) * rows)
                blend::over({source.data(), width}, to, width, int(std::min(double(rows), std::ceil(left / width))),
                            blend::untinted);
        });
        double fillCeiling = fastest([&] {
            std::size_t bytes = std::size_t(filled);
            for (std::size_t at = 0; at < bytes; at += target.size() * 4)
                std::memset(target.data(), 0, std::min(bytes - at, target.size() * 4));
        });
        // The same with none of the bytes in the caches, as a frame larger than them is found.
        double coldFillCeiling = 1e9;
        std::vector<char> elsewhere(std::size_t(64) << 20);
        for (int run = 0; run < 5; ++run) {
            std::memset(elsewhere.data(), run, elsewhere.size());
            coldFillCeiling = std::min(coldFillCeiling, timed([&] {
                std::memset(target.data(), 0, std::min(std::size_t(filled), target.size() * 4));
            }));
        }
        std::vector<std::uint32_t> copy(target.size());
        double copyCeiling = fastest([&] { std::memcpy(copy.data(), target.data(), target.size() * 4); });

        std::printf("model: per frame, the mean of %d; blender %s; sprites in %s, %.0f tiles\n", frames,
                    std::string(blend::name(blend::path())).c_str(), draw.bands > frames ? "two bands" : "one band",
                    draw.tiles / n);
        std::printf("  %-56s %8.3f ms\n",
                    (std::to_string(contacts.bodies / frames) + " bodies, " + std::to_string(contacts.binned / frames) +
                     " in cells, " + std::to_string(contacts.compared / frames) + " pairs compared; update, actions")
                        .c_str(),
                    updateMs / n);
        std::printf("  %-56s %8.3f ms  %6.1f ns a node\n", (std::to_string(nodes) + " nodes placed, ordered, damage").c_str(),
                    draw.placeMs / n, draw.placeMs / n / double(nodes) * 1e6);
        std::printf("  %-56s %8.3f ms  ceiling %.3f ms (a memset of as many bytes; %.3f ms from outside the caches)\n",
                    ("background filled: " + std::to_string(int(filled / 1024)) + " KiB").c_str(), draw.fillMs / n, fillCeiling,
                    coldFillCeiling);
        if (draw.bands > frames) std::printf("    (the fill is inside the sprites' time below, both threads' time together)\n");
        char kinds[160];
        std::snprintf(kinds, sizeof kinds, "%u sprites, %.0fk px: solid %.0fk faded %.0fk particles %.0fk text %.0fk",
                      unsigned(draw.sprites / frames), pixels / 1000, double(draw.solidPixels) / n / 1000,
                      double(draw.fadedPixels) / n / 1000, double(draw.particlePixels) / n / 1000,
                      double(draw.textPixels) / n / 1000);
        std::printf("  %-56s %8.3f ms  ceiling %.3f ms (the widest loop, as many px in long rows)\n", kinds,
                    draw.drawMs / n, blendCeiling);
        std::printf("  %-56s %8s     ceiling %.3f ms (a copy of its %.0f KiB)\n", "the frame shown (not part of this bench)", "",
                    copyCeiling, frameBytes / 1024);
        // Why the cost per node grows with the crowd: what a frame reads outgrows the caches, and
        // where they end shows as the step in how long a load waits.
        std::printf("  a load waiting on the last, within");
        for (int kib = 512; kib <= 32 << 10; kib *= 2)
            std::printf(" %g MiB: %.0f ns%s", kib / 1024.0, dependentLoadNs(std::size_t(kib) << 10), kib < 32 << 10 ? "," : "\n");
        std::printf("  what a frame reads: its pixels %.1f MiB, of the sprites kept %.1f MiB, besides its nodes\n",
                    frameBytes / 1048576, double(spriteBytes) / 1048576);
    }
};

int main(int argc, char** argv)
{
    double scale = 1, crowd = 1;
    int bands = 0; // as the renderer chooses
    const char* shot = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--scale") && i + 1 < argc) scale = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--crowd") && i + 1 < argc) crowd = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--bands") && i + 1 < argc) bands = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--blender") && i + 1 < argc) {
            const char* wanted = argv[++i];
            auto path = std::find_if(std::begin(blend::paths), std::end(blend::paths),
                                     [&](blend::Path p) { return blend::name(p) == wanted; });
            if (path == std::end(blend::paths) || !blend::use(*path)) {
                std::fprintf(stderr, "crowd: no %s blender on this processor\n", wanted);
                return 2;
            }
        }
        else if (!std::strcmp(argv[i], "--shot") && i + 1 < argc) shot = argv[++i];
        else {
            std::fprintf(stderr, "usage: crowd [--scale N] [--crowd K] [--blender NAME] [--bands 1|2] [--shot FILE]\n");
            return 2;
        }
    }
    if (!(scale >= 1 && scale <= 4)) {
        std::fprintf(stderr, "crowd: --scale must be between 1 and 4\n");
        return 2;
    }
    if (!(crowd >= 0.25 && crowd <= 8)) {
        std::fprintf(stderr, "crowd: --crowd must be between 0.25 and 8\n");
        return 2;
    }

    ManualClock clock(1000);
    SilentSoundPlayer sound;
    SKView view({800 * crowd, 600}, clock, sound);
    if (bands) view.renderer().setBandedFrom(bands == 1 ? UINT64_MAX : 0);
    auto scene = std::make_shared<CrowdScene>(crowd);
    view.presentScene(scene);
    const int width = int(800 * crowd * scale), height = int(600 * scale);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);

    std::vector<double> times, ticks;
    Model model;
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
        if (frame >= 60) {
            times.push_back(ms(start, end)), ticks.push_back(ms(start, ticked));
            model.add(view.renderer().work(), scene->physicsWorld().contacts().work(), ticks.back());
        }
    }
    std::printf("crowd %s frames=%zu rss_mb=%.1f\n", summarise(times).c_str(), times.size(), peakRssMb());
    std::vector<double> sorted = times;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2), sorted.end());
    std::printf("crowd %g: %zu nodes, %.1f ns a node (p50)\n", crowd, scene->nodes(),
                sorted[sorted.size() / 2] / double(scene->nodes()) * 1e6);
    std::fprintf(stderr, "crowd: scale %g, crowd %g; update, actions and contacts alone: %s; %lld contacts began\n", scale,
                 crowd, summarise(ticks).c_str(), static_cast<long long>(scene->contacts));
    model.print(scene->nodes(), width, height, view.renderStats().spriteBytes);
    std::printf("  sprites kept: %zu, %.1f MB\n", view.renderStats().sprites, view.renderStats().spriteBytes / 1048576.0);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return 0;
}
