#include "Clock.hpp"
#include "DemoScene.hpp"
#include "Pixels.hpp"
#include "SKEmitterNode.hpp"
#include "SKLabelNode.hpp"
#include "SKShapeNode.hpp"
#include "SKTransition.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"
#include "SpriteCache.hpp"

#include <gtest/gtest.h>

namespace {

struct Stage {
    ManualClock clock{5000};
    SilentSoundPlayer sound;
    SKView view{{800, 600}, clock, sound};
    std::shared_ptr<SKScene> scene = std::make_shared<SKScene>(CGSize{800, 600});

    Stage()
    {
        scene->setBackgroundColor(SKColor::blackColor());
        view.presentScene(scene);
    }

    std::shared_ptr<SKShapeNode> square(CGPoint at, CGFloat side, SKColor fill, CGFloat z = 0)
    {
        auto node = SKShapeNode::shapeNodeWithRectOfSize({side, side});
        node->setPosition(at);
        node->setFillColor(fill);
        node->setStrokeColor(SKColor::clearColor());
        node->setZPosition(z);
        return node;
    }

    Canvas draw(double scale = 1)
    {
        Canvas canvas(800, 600, scale);
        view.render(canvas.cr(), scale);
        return canvas;
    }
};

bool isRed(Pixel p) { return p.r > 200 && p.g < 90 && p.b < 90; }
bool isGreen(Pixel p) { return p.g > 200 && p.r < 90 && p.b < 90; }

// Counts the pixels in a scene rect that satisfy a test.
template <class Test>
int count(const Canvas& c, CGRect r, Test test)
{
    int n = 0;
    double step = 1 / c.scale();
    for (double y = r.minY() + step / 2; y < r.maxY(); y += step)
        for (double x = r.minX() + step / 2; x < r.maxX(); x += step) n += test(c.at(x, y));
    return n;
}

} // namespace

TEST(SKRenderer, DrawsByTheSumOfDepthsWithChildrenOverParentsOnTies)
{
    Stage s;
    auto back = s.square({100, 100}, 40, SKColor::redColor(), 5);
    auto front = s.square({110, 100}, 40, SKColor::greenColor(), 1);
    s.scene->addChild(front);
    front->addChild(s.square({20, 0}, 20, SKColor::colorWithRed(0, 0, 1, 1), 0)); // (130, 100), over its parent
    s.scene->addChild(back);
    auto behind = s.square({-25, 0}, 20, SKColor::whiteColor(), -1); // x 65…85, beneath its parent
    back->addChild(behind);

    Canvas c = s.draw();
    EXPECT_TRUE(isRed(c.at(110, 100))) << c.at(110, 100) << ": depth 5 beats depth 1 though added later";
    EXPECT_TRUE(isGreen(c.at(125, 115))) << c.at(125, 115);
    EXPECT_EQ(c.at(130, 100).b, 255) << "a child at the same depth draws over its parent";
    EXPECT_TRUE(isRed(c.at(82, 100))) << "depth 5 - 1 = 4 is behind its parent at 5";
    EXPECT_EQ(c.at(70, 100).g, 255) << "but the part beyond the parent shows";
    EXPECT_EQ(c.at(400, 300).r, 0) << "background";
}

TEST(SKRenderer, AlphaMultipliesDownTheTreeAndHiddenSubtreesVanish)
{
    Stage s;
    auto parent = s.square({200, 200}, 40, SKColor::clearColor());
    parent->setAlpha(0.5);
    auto child = s.square({0, 0}, 20, SKColor::whiteColor());
    child->setAlpha(0.5);
    parent->addChild(child);
    s.scene->addChild(parent);
    auto hidden = s.square({300, 200}, 20, SKColor::whiteColor());
    hidden->setHidden(true);
    hidden->addChild(s.square({0, 0}, 10, SKColor::whiteColor()));
    s.scene->addChild(hidden);

    Canvas c = s.draw();
    EXPECT_NEAR(c.at(200, 200).r, 64, 2) << "0.5 x 0.5 of white over black";
    EXPECT_EQ(c.at(300, 200).r, 0);
}

TEST(SKRenderer, ShapesAreAntialiasedAndCrispAtTwiceThePixels)
{
    Stage s;
    auto circle = SKShapeNode::shapeNodeWithCircleOfRadius(50);
    circle->setPosition({400, 300});
    circle->setFillColor(SKColor::whiteColor());
    circle->setStrokeColor(SKColor::clearColor());
    s.scene->addChild(circle);
    auto outline = SKShapeNode::shapeNodeWithRectOfSize({100, 100}, 8);
    outline->setPosition({600, 300}); // default look: white stroke of width 1, no fill
    s.scene->addChild(outline);

    for (double scale : {1.0, 2.0}) {
        Canvas c = s.draw(scale);
        EXPECT_EQ(c.at(400, 300).r, 255);
        EXPECT_EQ(c.at(400, 360).r, 0);
        // Along the edge some pixels are partly covered.
        int partial = count(c, {{395, 345}, {10, 10}}, [](Pixel p) { return p.r > 20 && p.r < 235; });
        EXPECT_GT(partial, 0) << "scale " << scale;
        EXPECT_GT(c.at(600, 349.6).r, 100) << "stroke straddles the path at y 350";
        EXPECT_EQ(c.at(600, 300).r, 0) << "no fill by default";
    }
}

TEST(SKRenderer, LabelsDrawTheirColourAndColourEmojiKeepTheirOwn)
{
    Stage s;
    auto label = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    label->setText("CAN: ❤️ ❤️ 🖤");
    label->setFontSize(48);
    label->setFontColor(SKColor::greenColor()); // so red pixels can only come from the hearts
    label->setPosition({400, 300});
    s.scene->addChild(label);

    Canvas c = s.draw();
    CGRect box = label->frame();
    EXPECT_GT(count(c, box, isGreen), 100) << "the letters take the font colour";
    EXPECT_GT(count(c, box, isRed), 300) << "the red hearts are colour glyphs";
    c.writePng("label-hearts.png");
}

TEST(SKRenderer, FadeDarkensTheWholeViewAtItsMidpoint)
{
    Stage s;
    s.scene->addChild(s.square({400, 300}, 100, SKColor::whiteColor()));
    s.view.tick();
    auto next = std::make_shared<SKScene>(CGSize{800, 600});
    s.view.presentScene(next, SKTransition::fadeWithDuration(0.5));
    for (int i = 0; i < 8; ++i) {
        s.clock.advance(1.0 / 60);
        s.view.tick();
    }
    int mid = s.draw().at(400, 300).r;
    EXPECT_GT(mid, 80);
    EXPECT_LT(mid, 180);
}

// The demonstration frame: written to demo.png for a person to look at, and probed here.
TEST(SKRenderer, DemonstrationFrame)
{
    for (double scale : {1.0, 2.0}) {
        Stage s;
        auto demo = std::make_shared<DemoScene>(CGSize{800, 600});
        demo->setScaleMode(SKSceneScaleMode::resizeFill);
        s.view.presentScene(demo);
        Canvas c = s.draw(scale);
        c.writePng(scale == 1 ? "demo.png" : "demo@2x.png");
        EXPECT_EQ(c.at(160, 420).r, 255) << "the polygon's body";
        EXPECT_EQ(c.at(160 + 30, 420 + 60).r, 0) << "inside the notch between wing and body";
        EXPECT_TRUE(isGreen(c.at(300 + 0.5, 420))) << c.at(300.5, 420) << ": the button's stroke";
        EXPECT_GT(c.at(800 * 0.1 + 160, 240).b, c.at(800 * 0.1, 240).b) << "circles grow more opaque";
        EXPECT_GT(count(c, {{560, 200}, {130, 80}}, [](Pixel p) { return p.r > 200 && p.g > 100; }), 20)
            << "the burst's particles";
    }
}

namespace {
// The same view drawn the plain way: cairo draws every node afresh when the surface is not an
// image (here a recording, replayed onto an image).
void renderPlain(SKView& view, Canvas& canvas, double scale)
{
    cairo_surface_t* recording = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
    cairo_t* cr = cairo_create(recording);
    view.render(cr, scale);
    cairo_destroy(cr);
    cairo_set_source_surface(canvas.cr(), recording, 0, 0);
    cairo_paint(canvas.cr());
    cairo_surface_destroy(recording);
}
} // namespace

TEST(SKRenderer, SpritesLookLikeDrawingEveryNodeAfresh)
{
    for (double scale : {1.0, 2.0}) {
        Stage s;
        auto demo = std::make_shared<DemoScene>(CGSize{800, 600});
        demo->setScaleMode(SKSceneScaleMode::resizeFill);
        s.view.presentScene(demo);
        Canvas sprites(800, 600, scale), plain(800, 600, scale);
        s.view.render(sprites.cr(), scale);
        // Moved by a fraction, as moving nodes are: each is drawn to a quarter pixel.
        for (auto& child : demo->children()) child->setPosition(child->position() + CGPoint{0.37, 0.81});
        s.view.render(sprites.cr(), scale);
        renderPlain(s.view, plain, scale);
        long total = 0, far = 0;
        for (double y = 0.5 / scale; y < 600; y += 1 / scale)
            for (double x = 0.5 / scale; x < 800; x += 1 / scale) {
                Pixel a = sprites.at(x, y), b = plain.at(x, y);
                int d = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
                total += d, far += d > 64;
            }
        double pixels = 800 * 600 * scale * scale;
        EXPECT_LT(total / pixels, 1.0) << "scale " << scale << ": mean difference per pixel, of 255";
        // Edges sit up to an eighth of a pixel from where plain drawing puts them; the glyphs'
        // edges, hinted to their pixel position, are all that differ clearly.
        EXPECT_LT(far / pixels, 0.005) << "scale " << scale << ": pixels that differ clearly";
    }
}

TEST(SpriteCache, StaysWithinItsBudgetWhileAScaleChangesEveryFrame)
{
    // A flame whose y scale changes every frame, at every quarter-pixel position: thousands of
    // different sprites over a long game, in a cache of 1 MB.
    SpriteCache cache(1 << 20);
    struct Flame final : SKLook {
        Flame() : SKLook(LookHasher().add(42).value()) {}
        bool equals(const SKLook& other) const override { return dynamic_cast<const Flame*>(&other); }
        CGRect bounds() const override { return {{-30, -90}, {60, 90}}; }
        void draw(cairo_t* cr) const override
        {
            cairo_move_to(cr, -30, 0), cairo_line_to(cr, 0, -90), cairo_line_to(cr, 30, 0), cairo_close_path(cr);
            cairo_set_source_rgb(cr, 0, 1, 1);
            cairo_fill(cr);
        }
    };
    std::shared_ptr<const SKLook> flame = std::make_shared<Flame>();
    std::size_t most = 0;
    for (int frame = 0; frame < 5000; ++frame) {
        cache.nextFrame();
        double scale = 0.5 + (frame % 997) / 997.0;
        const SpriteCache::Sprite* sprite = cache.get(flame, 2, -2 * scale, frame % 4, (frame / 4) % 4);
        ASSERT_TRUE(sprite);
        EXPECT_GT(sprite->height, 90 * scale);
        most = std::max(most, cache.bytes());
    }
    EXPECT_LE(most, std::size_t(1 << 20) + 100000) << "at most one sprite past the budget";
    EXPECT_GT(cache.count(), 10u);

    // The same look at the same scale and place is drawn once and found after.
    cache.nextFrame();
    auto* first = cache.get(flame, 1, -1, 0, 0);
    std::size_t count = cache.count();
    EXPECT_EQ(cache.get(flame, 1, -1, 0, 0), first);
    EXPECT_EQ(cache.count(), count);
}

TEST(SKRenderer, DrawingOnlyWhatChangedGivesTheSameFramesAsDrawingThemWhole)
{
    Stage s;
    auto demo = std::make_shared<DemoScene>(CGSize{800, 600});
    demo->setScaleMode(SKSceneScaleMode::resizeFill);
    s.view.presentScene(demo);
    auto mover = s.square({100, 100}, 30, SKColor::whiteColor(), 3);
    demo->addChild(mover);
    auto score = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    score->setPosition({100, 550});
    demo->addChild(score);
    // Two still squares that only trade places in the drawing order, and one that only fades.
    auto under = s.square({600, 450}, 60, SKColor::redColor(), 2);
    auto over = s.square({620, 470}, 60, SKColor::greenColor(), 4);
    auto fading = s.square({700, 300}, 40, SKColor::yellowColor(), 3);
    for (auto& node : {under, over, fading}) demo->addChild(node);

    Canvas kept(800, 600);
    int partial = 0, smaller = 0;
    for (int frame = 0; frame < 40; ++frame) {
        s.clock.advance(1.0 / 60);
        s.view.tick(); // the demo's bursts come and go
        mover->setPosition({100 + frame * 7.3, 100 + frame * 2.1});
        score->setText("SKOR: " + std::to_string(frame / 10 * 10));
        mover->setHidden(frame % 13 == 5);
        over->setZPosition(frame / 9 % 2 ? 1 : 4);
        fading->setAlpha(frame % 5 == 0 ? 0.5 : 1);
        const auto* damage = s.view.render(kept.cr(), 1, true);
        if (damage) {
            ++partial;
            long area = 0;
            for (const auto& d : *damage) EXPECT_TRUE(d.width > 0 && d.height > 0), area += long(d.width) * d.height;
            smaller += area < 800 * 600 / 2;
        }
        Canvas whole(800, 600);
        s.view.render(whole.cr(), 1);
        int differing = 0;
        for (double y = 0.5; y < 600; y += 1)
            for (double x = 0.5; x < 800; x += 1) {
                Pixel a = kept.at(x, y), b = whole.at(x, y);
                differing += a.r != b.r || a.g != b.g || a.b != b.b;
            }
        ASSERT_EQ(differing, 0) << "frame " << frame;
    }
    EXPECT_EQ(partial, 40);
    EXPECT_GT(smaller, 30) << "after the first frame, only the moving parts are drawn";

    // A frame in which nothing changed draws nothing. (Particles count as changing always.)
    demo->removeAllActions();
    demo->enumerateChildNodesWithName("*", [](SKNode& n, bool&) {
        if (dynamic_cast<SKEmitterNode*>(&n)) n.removeFromParent();
    });
    s.view.render(kept.cr(), 1, true);
    const auto* damage = s.view.render(kept.cr(), 1, true);
    ASSERT_TRUE(damage);
    EXPECT_TRUE(damage->empty());
}

TEST(SKRenderer, ASpriteGoesToWholePixelsUntilItMovesAndStaysPutWhileStill)
{
    Stage s;
    auto dot = s.square({10.4, 20}, 4, SKColor::whiteColor(), 0);
    s.scene->addChild(dot);
    // The left edge of the dot on the surface, from the coverage of its first lit pixel.
    Canvas c(800, 600);
    auto leftEdge = [&] {
        s.view.render(c.cr(), 1);
        for (double x = 0.5; x < 200; x += 1)
            if (c.at(x, 20).r > 0) return c.at(x, 20).r == 255 ? x - 0.5 : x - 0.5 + 1 - c.at(x, 20).r / 255.0;
        return -1.0;
    };
    EXPECT_DOUBLE_EQ(leftEdge(), 8) << "seen first: on whole pixels, 8.4 rounded";
    EXPECT_DOUBLE_EQ(leftEdge(), 8) << "still: the same pixels";
    dot->setPosition({10.65, 20});
    EXPECT_NEAR(leftEdge(), 8.75, 0.02) << "moved: to the quarter pixel";
    EXPECT_NEAR(leftEdge(), 8.75, 0.02) << "still again: stays put, no jump on a pause";
    dot->setPosition({110.4, 20});
    EXPECT_DOUBLE_EQ(leftEdge(), 108) << "a jump (a star back at the top) counts as a new start";
}
