// The game's rules, told as short stories on the headless stage: frames of 1/60 s, keys, clicks
// and contacts as the game gets them. How each moment looks is pinned by the golden pictures.
#include "GameStage.hpp"
#include "SKEmitterNode.hpp"
#include "Support.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <sstream>

namespace {

using State = GameScene::PlayState;

// Nodes at every depth of the scene, all of them or the paused ones.
int nodes(GameScene& s, bool pausedOnly)
{
    int n = 0;
    s.enumerateChildNodesWithName("//*", [&](SKNode& node, bool&) { n += !pausedOnly || node.isPaused(); });
    return n;
}

// What start-up made of a scene: its world, then its children in order by name, text or role,
// the stars counted.
std::string startUp(GameScene& s)
{
    std::ostringstream out;
    out << "gravity " << s.physicsWorld().gravity() << (s.physicsWorld().contactDelegate() == &s ? ", delegate" : "")
        << ", stars " << std::count_if(s.children().begin(), s.children().end(), [](auto& c) { return c->name() == "star"; });
    for (auto& child : std::span(s.children()).subspan(30))
        if (auto label = std::dynamic_pointer_cast<SKLabelNode>(child)) out << ", " << label->text();
        else out << ", " << (child == s.player() ? "ship" : child->name());
    return out.str();
}

SKPhysicsContact contact(const std::shared_ptr<SKNode>& a, const std::shared_ptr<SKNode>& b)
{
    return {a->physicsBody(), b->physicsBody()};
}

// A stage in play whose enemies stand wherever a story puts them.
struct Play : GameStage {
    GameScene& s = *scene;
    Play() : GameStage(true) { frames(), clearEnemies(); }
    std::shared_ptr<SKNode> enemyAt(CGPoint at)
    {
        scene->spawnEnemy();
        auto e = scene->children().back();
        e->removeAllActions(), e->setPosition(at);
        return e;
    }
    long played(const std::string& name) const { return std::count(sound.played().begin(), sound.played().end(), name); }
};

} // namespace

TEST(Story, TheFirstGameOfARunWaitsBehindTheWarningUntilDevamEtIsPressed)
{
    for (CGPoint press : {CGPoint{400, 188}, CGPoint{335, 180}}) { // the words, the button beside them
        GameStage stage(false);
        GameScene& s = *stage.scene;
        EXPECT_EQ(startUp(s), "gravity <0, 0>, delegate, stars 30, SKOR: 0, CAN: ❤️ ❤️ ❤️, disclaimerPanel");
        // Nothing plays: no enemy, no move, no shot, no pause, and losing the focus changes nothing.
        for (std::uint16_t key : {SKKey::a, SKKey::d, SKKey::space, SKKey::escape, SKKey::left}) stage.press(key);
        stage.view.windowDidResignKey();
        stage.frames(120);
        EXPECT_FALSE(stage.view.isIdle()) << "the stars fall behind the warning";
        EXPECT_EQ(nodes(s, true) + stage.count("enemy") + stage.sound.played().size() + s.lastUpdateTime(), 0);
        // The panel, its title and its text are no buttons.
        for (CGPoint miss : {CGPoint{200, 400}, CGPoint{400, 412}, CGPoint{400, 260}, CGPoint{20, 20}}) stage.click(miss);
        EXPECT_EQ(s.playState(), State::warning);
        stage.click(press);
        EXPECT_TRUE(s.playState() == State::playing && disclaimerAccepted && !stage.count("disclaimerPanel"));
        EXPECT_TRUE(s.player()->position() == (CGPoint{400, 100}) && s.pauseLabel()->isHidden());
        stage.click({400, 150});
        stage.frames();
        EXPECT_EQ(stage.count("enemy"), 1u) << "the clock is past 1.5 s on the first frame of play";
        EXPECT_TRUE(stage.lasers().empty()) << "a click fires nothing";
    }
}

TEST(Story, TheShipStepsEightPointsAFrameWithinItsBoundsAndFiresOneLaserAPress)
{
    Play p;
    auto& ship = *p.s.player();
    for (std::uint16_t key : {1, 13, 36, 48, 125, 126, 0xFFFF}) p.press(key);
    EXPECT_FALSE(p.s.isMovingLeft() || p.s.isMovingRight() || p.s.isGamePaused()) << "only six keys count";
    p.press(SKKey::a), p.frames();
    EXPECT_EQ(ship.position(), (CGPoint{392, 100}));
    p.frames(100);
    EXPECT_EQ(ship.position().x, 25);
    p.release(SKKey::left); // either left key lets go of left
    p.press(SKKey::right), p.frames(200);
    EXPECT_EQ(ship.position().x, 775);
    // Both held: the left step with its bound first, then the right step with its own.
    ship.setPosition({27, 100});
    p.press(SKKey::left), p.frames();
    EXPECT_EQ(ship.position(), (CGPoint{33, 100}));
    p.release(SKKey::d), p.release(SKKey::a);
    // Each press, a repeat too, fires a laser thirty above the ship, with its sound.
    ship.setPosition({200, 100});
    p.sound.clear();
    for (int i = 0; i < 3; ++i) p.press(SKKey::space);
    ASSERT_EQ(p.lasers().size(), 3u);
    EXPECT_EQ(p.lasers()[0]->position(), (CGPoint{200, 130}));
    p.frames();
    EXPECT_TRUE(p.played("laser.wav") == 3 && ship.position() == (CGPoint{200, 100})) << "released keys stay released";
}

TEST(Story, EnemiesComeEveryOneAndAHalfSecondsAndFallForFourSecondsOfPlay)
{
    GameStage stage(true);
    stage.view.tick();
    ASSERT_EQ(stage.count("enemy"), 1u);
    EXPECT_EQ(stage.named("enemy").front()->position().y, 625);
    double first = stage.scene->lastEnemyTime();
    stage.clock.set(first + 1.5), stage.view.tick();
    EXPECT_EQ(stage.count("enemy"), 1u) << "exactly 1.5 s is not enough";
    stage.clock.set(first + 1.5 + 1e-6), stage.view.tick();
    ASSERT_EQ(stage.count("enemy"), 2u);
    stage.named("enemy").front()->removeFromParent();
    auto enemy = stage.named("enemy").front();
    stage.scene->player()->setPosition({enemy->position().x > 400 ? 100.0 : 700.0, 100});
    int frames = 0;
    while (stage.count("enemy") == 1) stage.frames(), ++frames;
    EXPECT_EQ(frames, 91) << "the first frame past the 1.5 s mark";
    // A long pause in the middle of the fall does not count.
    stage.frames(120 - 91), stage.press(SKKey::escape), stage.frames(600), stage.press(SKKey::escape);
    stage.frames(118); // every frame is a step of play, the one it came in too
    EXPECT_TRUE(enemy->parent() && enemy->position().y > -40);
    stage.frames(1);
    EXPECT_TRUE(!enemy->parent() && enemy->position().y == -40) << "gone after 240 frames of play";
}

// Frames that come late (a starved machine) run the steps they missed, so the ship keeps its
// eight points a step per second of play as the enemies keep theirs; a stall runs six at most;
// frames a little early or late are one step each.
TEST(Story, LateFramesCatchUpSoTheShipAndTheEnemiesKeepTheirSpeeds)
{
    Play p;
    p.s.spawnEnemy();
    auto enemy = p.s.children().back();
    auto late = [&](double frames) { p.clock.advance(frames * GameStage::frameTime), p.view.tick(); };
    auto x = [&] { return p.s.player()->position().x; };
    p.press(SKKey::right);
    for (double frames : {2.0, 3.0, 1.5, 2.5, 4.0, 1.0, 6.0, 0.5, 0.5, 2.0, 3.0, 4.0}) late(frames); // half a second
    EXPECT_TRUE(x() == 400 + 30 * 8 && std::abs(enemy->position().y - (625 - 665 / 8.0)) < 1e-9) << x();
    late(300); // five seconds lost: 0.1 s of play
    for (int i = 0; i < 10; ++i) late(i % 2 ? 0.6 : 1.4);
    EXPECT_EQ(x(), 640 + 6 * 8 + 10 * 8);
}

TEST(Story, EscOrLosingTheFocusPausesEveryNodeAndEscResumes)
{
    for (bool byFocus : {false, true}) {
        Play p;
        GameScene& s = p.s;
        p.press(SKKey::space), p.press(SKKey::left), p.press(SKKey::d);
        p.frames(10);
        if (byFocus) p.view.windowDidResignKey(), p.view.windowDidResignKey(); // a second loss does not resume
        else p.press(SKKey::escape);
        EXPECT_TRUE(s.isGamePaused() && p.view.isIdle() && !s.pauseLabel()->isHidden() && !s.isPaused());
        EXPECT_FALSE(s.isMovingLeft() || s.isMovingRight()) << "held keys are let go";
        EXPECT_EQ(nodes(s, true), nodes(s, false)) << "every node at every depth";
        // Nothing moves, nothing spawns, no key but ESC counts.
        CGPoint ship = s.player()->position(), laser = p.lasers().front()->position();
        p.frames(200), p.press(SKKey::right), p.press(SKKey::space), p.frames(5);
        EXPECT_TRUE(s.player()->position() == ship && p.lasers().front()->position() == laser);
        EXPECT_EQ(p.lasers().size() + p.count("enemy"), 1u);
        p.clock.advance(5); // the host slept while nothing moved
        p.press(SKKey::escape);
        EXPECT_TRUE(!s.isGamePaused() && s.pauseLabel()->isHidden() && nodes(s, true) == 0);
        p.frames();
        EXPECT_EQ(s.player()->position(), ship) << "the direction needs a new key press";
        EXPECT_EQ(p.count("enemy"), 1u) << "a pause past 1.5 s: an enemy on the first frame back";
        EXPECT_NEAR(p.lasers().front()->position().y - laser.y, 490.0 / 60, 1e-9) << "one frame's step, not the sleep";
    }
}

TEST(Story, LasersDestroyEnemiesForTenPointsWithAnExplosionThatIsGoneInASecond)
{
    Play p;
    for (int hit = 1; hit <= 2; ++hit) {
        auto enemy = p.enemyAt({200.0 + hit, 400});
        p.s.fireLaser();
        auto laser = p.lasers().back();
        laser->setPosition({500, 100}); // the explosion goes where the enemy is, not the laser
        p.s.didBeginContact(hit == 1 ? contact(enemy, laser) : contact(laser, enemy));
        EXPECT_FALSE(enemy->parent() || laser->parent());
        EXPECT_EQ(p.s.children().back()->position(), enemy->position());
    }
    EXPECT_EQ(p.s.scoreLabel()->text(), "SKOR: 20");
    auto boom = std::static_pointer_cast<SKEmitterNode>(p.s.children().back());
    p.frames(30);
    EXPECT_TRUE(p.played("explosion.wav") == 2 && boom->alpha() == 1) << "full glow for half a second";
    p.frames(15);
    EXPECT_LT(boom->alpha(), 0.6);
    p.frames(15);
    EXPECT_FALSE(boom->parent());
    // A real contact, found by the frame: a laser fired under an enemy.
    auto target = p.enemyAt({p.s.player()->position().x, 160});
    p.press(SKKey::space), p.frames();
    EXPECT_TRUE(!target->parent() && p.s.score() == 30);
}

TEST(Story, EachEnemyThatReachesTheShipCostsALifeTheThirdEndsTheGameAndRestartStartsAfresh)
{
    Play p;
    GameScene& s = p.s;
    auto ship = s.player();
    const char* hearts[] = {"CAN: ❤️ ❤️ 🖤", "CAN: ❤️ 🖤 🖤", "CAN: 🖤 🖤 🖤"};
    auto isExplosion = [](auto& c) { return std::dynamic_pointer_cast<SKEmitterNode>(c) != nullptr; };
    auto explosions = [&] { return std::count_if(s.children().begin(), s.children().end(), isExplosion); };
    for (int hit = 0; hit < 3; ++hit) {
        auto enemy = p.enemyAt({ship->position().x + 10, ship->position().y + 40});
        long before = explosions();
        p.frames();
        EXPECT_FALSE(enemy->parent());
        EXPECT_EQ(s.livesLabel()->text(), hearts[hit]);
        EXPECT_EQ(explosions(), before + (hit < 2 ? 1 : 2)) << "the enemy's, and at the last the ship's";
        EXPECT_EQ(s.isGamePaused(), hit == 2);
        EXPECT_EQ(bool(ship->parent()), hit < 2) << "no protection, no knock-back";
    }
    p.frames();
    EXPECT_TRUE(p.played("explosion.wav") == 4 && s.player() == ship) << "the field still refers to it";
    // The total's text is no button; the button's words are.
    std::weak_ptr<GameScene> old = p.scene;
    p.click({400, 350});
    EXPECT_FALSE(p.view.isTransitioning());
    p.click({310, 200});
    EXPECT_TRUE(p.view.isTransitioning());
    // A fade of half a second: the old scene until its midpoint, the new one after; no input, no update.
    p.scene.reset();
    p.frames(14);
    EXPECT_EQ(p.view.scene(), old.lock());
    p.frames(2), p.press(SKKey::space), p.frames(13);
    EXPECT_TRUE(p.view.scene() != old.lock() && p.view.isTransitioning() && p.current().lastUpdateTime() == 0);
    p.frames(1);
    EXPECT_TRUE(!p.view.isTransitioning() && old.expired() && p.lasers().empty()) << "the old scene dropped whole";
    EXPECT_EQ(startUp(p.current()), "gravity <0, 0>, delegate, stars 30, SKOR: 0, CAN: ❤️ ❤️ ❤️, ship, "
                                    "OYUN DURDURULDU\n(Devam etmek için 'ESC' tuşuna basın)");
    EXPECT_EQ(p.current().playState(), State::playing);
    p.frames();
    EXPECT_EQ(p.count("enemy"), 1u) << "an enemy on its first frame";
}

TEST(Story, AfterTheGameEndsOnlyLasersInFlightStillScore)
{
    Play p;
    GameScene& s = p.s;
    s.fireLaser();
    s.didBeginContact(contact(p.lasers().back(), p.enemyAt({600, 400})));
    s.fireLaser(); // in flight when the game ends
    auto late = p.lasers().back();
    for (int i = 0; i < 2; ++i) s.didBeginContact(contact(p.enemyAt({100, 500}), s.player()));
    s.player()->setPosition({600, 100});
    // Two enemies on the last life in one frame: the game ends once.
    p.enemyAt({595, 120});
    auto second = p.enemyAt({605, 120});
    p.frames();
    EXPECT_TRUE(second->parent()) << "the second enemy found no ship left to hit";
    s.didBeginContact(contact(second, s.player()));
    EXPECT_TRUE(s.lives() == 0 && p.count("restartButton") == 1) << "never below zero";
    auto target = p.enemyAt({late->position().x, late->position().y + 30});
    p.frames(3);
    EXPECT_TRUE(!target->parent() && s.scoreLabel()->text() == "SKOR: 20");
    auto total = [](auto& c) { auto l = std::dynamic_pointer_cast<SKLabelNode>(c); return l ? l->text() : ""; };
    EXPECT_EQ(total(*(s.children().end() - 3)), "OYUN BİTTİ\nToplam Skor: 10") << "the panel keeps its total";
    std::size_t lasers = p.lasers().size();
    for (std::uint16_t key : {SKKey::escape, SKKey::space, SKKey::a, SKKey::right}) p.press(key);
    p.view.windowDidResignKey();
    p.frames();
    EXPECT_TRUE(s.pauseLabel()->isHidden()) << "no pause over the game-over panel";
    EXPECT_FALSE(p.lasers().size() != lasers || s.isMovingLeft() || s.isMovingRight());
}

TEST(Story, WithoutTheExplosionFileEachHitSaysSoAndPlayGoesOn)
{
    TempDir empty; // a bundle with nothing in it
    GameStage stage(true, SKBundle(empty.dir));
    stage.frames();
    GameScene& s = *stage.scene;
    s.fireLaser();
    std::size_t children = s.children().size();
    testing::internal::CaptureStdout();
    s.didBeginContact(contact(stage.lasers().back(), stage.named("enemy").front()));
    s.createExplosion({10, 10});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hata: 'Explosion.sks' dosyası Xcode projesinde bulunamadı!\n"
                                                      "Hata: 'Explosion.sks' dosyası Xcode projesinde bulunamadı!\n");
    EXPECT_EQ(s.children().size(), children - 2) << "laser and enemy gone, nothing added";
    stage.frames();
    EXPECT_EQ(std::count(stage.sound.played().begin(), stage.sound.played().end(), "explosion.wav"), 2);
    // The stage's picture of the frame, for the screenshot tool: written, or a line saying why not.
    EXPECT_TRUE(stage.writePng((empty.dir / "frame.png").string()));
    EXPECT_GT(std::filesystem::file_size(empty.dir / "frame.png"), 1000u);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(stage.writePng("/nonexistent/frame.png"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "cannot write /nonexistent/frame.png (error while writing to output stream)\n");
}
