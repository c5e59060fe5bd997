#include "Clock.hpp"
#include "DemoScene.hpp"
#include "Support.hpp"
#include "SKEmitterNode.hpp"
#include "SKLabelNode.hpp"
#include "SKRenderer.hpp"
#include "SKShapeNode.hpp"
#include "SKTransition.hpp"
#include "SKView.hpp"
#include "SoundPlayer.hpp"
#include "SpriteCache.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Stage : ViewStage {
    std::shared_ptr<DemoScene> demo = std::make_shared<DemoScene>(CGSize{800, 600});
    Stage() { demo->setScaleMode(SKSceneScaleMode::resizeFill), view.presentScene(demo); }
    Canvas draw(double scale = 1)
    {
        Canvas canvas(800, 600, scale);
        view.render(canvas.cr(), scale);
        return canvas;
    }
    std::shared_ptr<SKShapeNode> square(CGPoint at, CGFloat side, SKColor fill, CGFloat z)
    {
        auto node = DemoScene::square(at, side, fill, z);
        demo->addChild(node);
        return node;
    }
};

} // namespace

// Everything the scene graph draws, pinned by its picture at one and two pixels a point:
// polygons, rounded rectangles and circles, antialiased; labels in their colour and colour
// emoji in theirs; depth and alpha down the tree; hidden subtrees; particles at a fixed seed.
// Then every node moved by a fraction, as moving nodes are: drawn as sprites to the nearest quarter
// pixel (0.9 pixels over, as both x and y are here: the next whole one).
// Then the frame a quarter of the way through a fade to an empty scene, and three quarters.
TEST(Golden, DemonstrationFramesLookAsTheirPictures)
{
    for (int scale : {1, 2}) {
        std::string file = "demo@" + std::to_string(scale) + "x.png";
        EXPECT_TRUE(matchesGolden(Stage().draw(scale).surface(), file)) << file;
    }
    Stage moved;
    moved.draw(2);
    for (auto& child : moved.demo->children()) child->setPosition(child->position() + CGPoint{0.45, 0.05});
    EXPECT_TRUE(matchesGolden(moved.draw(2).surface(), "demo-moved@2x.png"));
    Stage s;
    s.view.tick();
    s.view.presentScene(std::make_shared<SKScene>(CGSize{800, 600}), SKTransition::fadeWithDuration(0.5));
    s.step(8);
    EXPECT_TRUE(matchesGolden(s.draw().surface(), "demo-fading.png"));
    s.step(15); // past the midpoint: the empty scene, in its default colour, coming out of black
    EXPECT_TRUE(matchesGolden(s.draw().surface(), "demo-faded.png"));
    // Drawn the plain way: cairo draws every node afresh on a surface that is not an image (here a
    // recording, replayed onto one).
    Canvas plain(800, 600);
    cairo_surface_t* recording = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
    cairo_t* cr = cairo_create(recording);
    Stage().view.render(cr, 1);
    cairo_set_source_surface(plain.cr(), recording, 0, 0), cairo_paint(plain.cr());
    cairo_destroy(cr), cairo_surface_destroy(recording);
    EXPECT_TRUE(matchesGolden(plain.surface(), "demo-plain.png"));
}

// In two bands on two threads, and each band in tiles (forced here even where a frame is
// small): the same frames as drawn whole on one thread.
TEST(SKRenderer, SpritesDrawnInBandsAndTilesGiveTheSameFramesAsDrawnWhole)
{
    Stage s;
    auto mover = s.square({100, 100}, 30, SKColor::whiteColor(), 3);
    // A sprite starting and ending at every column and every row, so each tile's edge cuts some.
    for (int x = 0; x < 800; ++x) s.square({double(x), 580}, 2, SKColor::redColor(), 2);
    for (int y = 0; y < 600; ++y) s.square({780, double(y)}, 2, SKColor::redColor(), 2);
    Canvas kept(800, 600), whole(800, 600, 2);
    int banded = 0;
    for (int frame = 0; frame < 30; ++frame) {
        s.step(); // bursts: particles drawn between sprites, so the bands meet at each of them
        mover->setPosition({100 + frame * 17.3, 100 + frame * 13.1});
        s.view.renderer().setBandedFrom(0);
        s.view.renderer().setTilesFrom(0);
        const auto* damage = s.view.render(kept.cr(), 1, frame % 10 != 0); // in parts, and whole now and then
        banded += s.view.renderer().work().bands == 2;
        std::uint64_t damaged = 0;
        for (const auto& d : damage ? *damage : std::vector<PixelRect>{{0, 0, 800, 600}})
            damaged += std::uint64_t(d.width) * std::uint64_t(d.height) * 4;
        EXPECT_EQ(s.view.renderer().work().filledBytes, damaged) << "frame " << frame;
        s.view.render(whole.cr(), 2);
        banded += s.view.renderer().work().bands == 2;
        SKRenderer::Work inBands = s.view.renderer().work();
        EXPECT_GE(inBands.tiles, 1600u * 1200 * 4 / SKRenderer::tileBytes) << "frame " << frame;
        s.view.renderer().setBandedFrom(SKRenderer::bandedByDefault);
        s.view.renderer().setTilesFrom(UINT64_MAX);
        ASSERT_EQ(kept.differingPixels(s.draw()), 0) << "frame " << frame;
        ASSERT_EQ(whole.differingPixels(s.draw(2)), 0) << "frame " << frame << " at 2 pixels a point";
        // What a frame did is counted once, whichever way it was drawn.
        const SKRenderer::Work& onOne = s.view.renderer().work();
        EXPECT_EQ(onOne.bands, 1);
        EXPECT_GT(inBands.tiles, onOne.tiles);
        EXPECT_EQ(std::tuple(inBands.sprites, inBands.solidPixels, inBands.fadedPixels, inBands.particlePixels,
                             inBands.textPixels, inBands.filledBytes),
                  std::tuple(onOne.sprites, onOne.solidPixels, onOne.fadedPixels, onOne.particlePixels,
                             onOne.textPixels, std::uint64_t(1600 * 1200 * 4)));
    }
    EXPECT_EQ(banded, 60);
    s.view.renderer().setTilesFrom(SKRenderer::tilesByDefault);
}

// A scene lower than its view fills its own rect only: black above it.
TEST(SKRenderer, ASceneLowerThanTheViewPaintsOnlyItsOwnRect)
{
    ViewStage s;
    auto small = std::make_shared<SKScene>(CGSize{800, 300});
    s.view.presentScene(small);
    small->setBackgroundColor(SKColor::redColor());
    small->addChild(DemoScene::square({100, 100}, 30, SKColor::whiteColor(), 1));
    Canvas canvas(800, 600);
    s.view.render(canvas.cr(), 1);
    Pixel inside = canvas.at(300, 200), outside = canvas.at(300, 450);
    EXPECT_EQ(std::tuple(inside.r, inside.g, inside.b), std::tuple(255, 0, 0));
    EXPECT_EQ(std::tuple(outside.r, outside.g, outside.b, outside.a), std::tuple(0, 0, 0, 255));
}

TEST(SKRenderer, BuffersTakingTurnsEachCatchUpOnTheFramesTheyMissed)
{
    Stage s;
    auto mover = s.square({100, 100}, 30, SKColor::whiteColor(), 3);
    Canvas buffers[3] = {Canvas(800, 600), Canvas(800, 600), Canvas(800, 600)};
    std::vector<PixelRect> stale[3];
    for (auto& rects : stale) rects.push_back({0, 0, 800, 600}); // a new buffer holds no frame
    const int surface = 0;                                       // what the three are together
    long drawnTotal = 0;
    for (int frame = 0; frame < 40; ++frame) {
        s.step();
        mover->setPosition({100 + frame * 9.3, 100 + frame * 4.1});
        int b = frame % 7 == 6 ? 2 : frame % 2; // the third one now and then, after missing several
        const auto* changed = s.view.render(buffers[b].cr(), 1, true, {}, {&surface, &stale[b]});
        ASSERT_TRUE(changed);
        for (int other = 0; other < 3; ++other)
            if (other != b) stale[other].insert(stale[other].end(), changed->begin(), changed->end());
        stale[b].clear();
        for (const auto& r : *changed) drawnTotal += long(r.width) * r.height;
        ASSERT_EQ(buffers[b].differingPixels(s.draw()), 0) << "frame " << frame << ", buffer " << b;
    }
    // What changed is this frame's change only, not what the buffer caught up on.
    EXPECT_LT(drawnTotal, 40L * 800 * 600 / 4);
}

TEST(SKRenderer, DrawingOnlyWhatChangedGivesTheSameFramesAsDrawingThemWhole)
{
    Stage s;
    auto mover = s.square({100, 100}, 30, SKColor::whiteColor(), 3);
    auto score = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    score->setPosition({100, 550});
    s.demo->addChild(score);
    // Two still squares that only trade places in the drawing order, and one that only fades.
    s.square({600, 450}, 60, SKColor::redColor(), 2);
    auto over = s.square({620, 470}, 60, SKColor::greenColor(), 4);
    auto fading = s.square({700, 300}, 40, SKColor::yellowColor(), 3);
    auto first = s.square({300, 500}, 20, SKColor::whiteColor(), -10); // drawn before all, now and then not
    Canvas kept(800, 600);
    cairo_set_source_rgb(kept.cr(), 1, 1, 1), cairo_paint(kept.cr()); // a new surface is drawn whole
    int smaller = 0;
    for (int frame = 0; frame < 40; ++frame) {
        s.step(); // the demo's bursts come and go
        mover->setPosition({100 + frame * 7.3, 100 + frame * 2.1});
        score->setText("SKOR: " + std::to_string(frame / 10 * 10));
        mover->setHidden(frame % 13 == 5);
        over->setZPosition(frame / 9 % 2 ? 1 : 4);
        fading->setAlpha(frame % 5 == 0 ? 0.5 : 1);
        if (frame == 30) s.demo->setBackgroundColor(SKColor::darkGrayColor());
        first->setHidden(frame % 7 == 3);
        const auto* damage = s.view.render(kept.cr(), 1, true);
        ASSERT_TRUE(damage);
        long area = 0;
        for (const auto& d : *damage) area += long(d.width) * d.height;
        smaller += area < 800 * 600 / 2;
        ASSERT_EQ(kept.differingPixels(s.draw()), 0) << "frame " << frame;
    }
    EXPECT_GT(smaller, 30) << "after the first frame, only the moving parts are drawn";
    Canvas other(800, 600);
    s.view.render(other.cr(), 1, true);
    EXPECT_EQ(other.differingPixels(s.draw()), 0) << "another surface is drawn whole";
    // The same pixels seen as a smaller surface (a window resized in place) are drawn whole too,
    // to its last column and row.
    unsigned char* pixels = cairo_image_surface_get_data(other.surface());
    cairo_surface_t* narrower = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, 641, 577, 800 * 4);
    cairo_t* cr = cairo_create(narrower);
    cairo_set_source_rgb(cr, 1, 1, 1), cairo_paint(cr);
    s.view.render(cr, 1, true);
    cairo_destroy(cr), cairo_surface_destroy(narrower);
    EXPECT_EQ(other.differingPixels(s.draw()), 0);
    // A frame in which nothing changed draws nothing. (Particles count as changing always.)
    s.demo->removeAllActions();
    s.demo->enumerateChildNodesWithName("*", [](SKNode& n, bool&) {
        if (dynamic_cast<SKEmitterNode*>(&n)) n.removeFromParent();
    });
    s.view.render(kept.cr(), 1, true);
    EXPECT_TRUE(s.view.render(kept.cr(), 1, true)->empty());
}

TEST(SKRenderer, ASpriteGoesToWholePixelsUntilItMovesAndStaysPutWhileStill)
{
    Stage s;
    s.demo->removeAllChildren();
    auto dot = s.square({10.4, 20}, 4, SKColor::whiteColor(), 0);
    Canvas c(800, 600);
    // The dot's left edge on the surface, from the coverage of its first lit pixel.
    auto leftEdge = [&] {
        s.view.render(c.cr(), 1);
        for (double x = 0.5; x < 200; x += 1)
            if (int r = c.at(x, 20).r; r > 0) return x - 0.5 + (r == 255 ? 0 : 1 - r / 255.0);
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

namespace {
struct Square final : SKLook {
    explicit Square(int id) : SKLook(LookHasher().add(id).value()), id(id) {}
    bool equals(const SKLook& other) const override
    {
        auto* square = dynamic_cast<const Square*>(&other);
        return square && square->id == id;
    }
    CGRect bounds() const override { return {{0, 0}, {100, 100}}; }
    void draw(cairo_t* cr) const override { cairo_rectangle(cr, 0, 0, 100, 100), cairo_fill(cr); }
    int id;
};
} // namespace

// A flame whose y scale changes every frame, at every quarter-pixel position: thousands of
// different sprites, in a cache of 1 MB that keeps what was used last, whether it was found by
// a search (the flame's own scale changes) or straight from its look (a square's does not).
TEST(SpriteCache, StaysWithinItsBudgetAndKeepsWhatWasUsedLast)
{
    SpriteCache cache(1 << 20);
    struct Flame final : SKLook {
        Flame() : SKLook(LookHasher().add(42).value()) {}
        bool equals(const SKLook& other) const override { return dynamic_cast<const Flame*>(&other); }
        CGRect bounds() const override { return {{-30, -90}, {60, 90}}; }
        void draw(cairo_t* cr) const override
        {
            cairo_move_to(cr, -30, 0), cairo_line_to(cr, 0, -90), cairo_line_to(cr, 30, 0), cairo_close_path(cr);
            cairo_fill(cr);
        }
    };
    std::shared_ptr<const SKLook> flame = std::make_shared<Flame>();
    cache.nextFrame();
    const SpriteCache::Sprite* kept = cache.get(flame, 1, -1, 0, 0); // used every fourth frame
    std::shared_ptr<const SKLook> square = std::make_shared<Square>(7);
    const std::uint64_t steady = cache.get(square, 1, 1, 2, 2)->serial; // used every frame
    for (int frame = 0; frame < 5000; ++frame) {
        cache.nextFrame();
        ASSERT_EQ(cache.get(square, 1, 1, 2, 2)->serial, steady) << "drawn once and found after, " << frame;
        double scale = 0.5 + (frame % 997) / 997.0;
        const SpriteCache::Sprite* sprite = cache.get(flame, 2, -2 * scale, frame % 4, (frame / 4) % 4);
        ASSERT_TRUE(sprite && sprite->height > 90 * scale && cache.bytes() <= (1 << 20) + 100000) << "one past at most";
        ASSERT_TRUE(frame % 4 || cache.get(flame, 1, -1, 0, 0) == kept) << "drawn once and found after, " << frame;
    }
    EXPECT_GT(cache.count(), 10u);
}

// A sprite this frame used through its look stays while the frame lasts, though the look has
// since turned to another scale and new sprites fill the cache past its budget.
TEST(SpriteCache, NeverLetsGoOfWhatThisFrameUsed)
{
    SpriteCache cache(1 << 20);
    std::shared_ptr<const SKLook> square = std::make_shared<Square>(7);
    cache.nextFrame();
    const std::uint64_t steady = cache.get(square, 1, 1, 2, 2)->serial;
    for (int frame = 0; frame < 10; ++frame) cache.nextFrame(), cache.get(square, 1, 1, 2, 2);
    cache.get(square, 1.5, 1.5, 0, 0);
    for (int id = 100; id < 140; ++id) {
        std::shared_ptr<const SKLook> other = std::make_shared<Square>(id);
        cache.get(other, 1, 1, 0, 0);
    }
    EXPECT_GT(cache.bytes(), std::size_t(1) << 20) << "nothing of this frame's to let go of";
    EXPECT_EQ(cache.get(square, 1, 1, 2, 2)->serial, steady);
}

// Looks that come and go (a score's every value) are let go with their last sprite.
TEST(SpriteCache, LetsGoOfALookWithItsLastSprite)
{
    SpriteCache cache(1 << 20);
    std::weak_ptr<const SKLook> first;
    for (int frame = 0; frame < 200; ++frame) {
        cache.nextFrame();
        std::shared_ptr<const SKLook> look = std::make_shared<Square>(frame);
        if (frame == 0) first = look;
        ASSERT_TRUE(cache.get(look, 1, 1, 0, 0));
    }
    EXPECT_TRUE(first.expired()) << "kept after its sprite went";
    EXPECT_LT(cache.count(), 40u);
}

// Depths everywhere (more than the handful a scene has) are sorted rather than counted: still
// in depth order, ties in tree order.
TEST(SKRenderer, ManyDepthsStillDrawInDepthOrder)
{
    Stage s;
    for (int i = 0; i < 80; ++i) s.square({20.0 + i * 9, 590}, 4, SKColor::whiteColor(), 100 + i);
    s.square({660, 330}, 30, SKColor::redColor(), 50.5);  // above, though first in tree order
    s.square({660, 330}, 50, SKColor::colorWithRed(0, 0, 1, 1), 50.25);
    s.square({740, 330}, 30, SKColor::greenColor(), 70);  // a tie: the later one shows
    s.square({740, 330}, 30, SKColor::yellowColor(), 70);
    Canvas c = s.draw();
    auto is = [](Pixel p, int r, int g, int b) { return p.r == r && p.g == g && p.b == b && p.a == 255; };
    EXPECT_TRUE(is(c.at(660, 330), 255, 0, 0));
    EXPECT_TRUE(is(c.at(660, 352), 0, 0, 255));
    EXPECT_TRUE(is(c.at(740, 330), 255, 255, 0));
}

// A surface the sprites cannot write (16 bits a pixel) is drawn by cairo alone, as a surface
// that is not an image is.
TEST(SKRenderer, ASurfaceOfAnotherFormatIsDrawnByCairoAlone)
{
    auto draw = [](bool recorded) {
        Stage s;
        cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB16_565, 800, 600);
        cairo_surface_t* drawnOn = recorded ? cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr) : target;
        cairo_t* cr = cairo_create(drawnOn);
        s.view.render(cr, 1);
        cairo_destroy(cr);
        EXPECT_EQ(s.view.renderer().work().sprites, 0u);
        if (recorded) {
            cairo_t* onto = cairo_create(target);
            cairo_set_source_surface(onto, drawnOn, 0, 0), cairo_paint(onto);
            cairo_destroy(onto), cairo_surface_destroy(drawnOn);
        }
        cairo_surface_flush(target);
        const unsigned char* data = cairo_image_surface_get_data(target);
        std::vector<unsigned char> bytes(data, data + cairo_image_surface_get_stride(target) * 600);
        cairo_surface_destroy(target);
        return bytes;
    };
    EXPECT_EQ(draw(false), draw(true));
}
