#include "GameStage.hpp"

#include "SKEmitterNode.hpp"

#include <gtest/gtest.h>

namespace {

std::vector<std::shared_ptr<SKEmitterNode>> explosions(const GameScene& s)
{
    std::vector<std::shared_ptr<SKEmitterNode>> found;
    for (auto& child : s.children())
        if (auto e = std::dynamic_pointer_cast<SKEmitterNode>(child)) found.push_back(e);
    return found;
}

SKPhysicsContact contact(const std::shared_ptr<SKNode>& a, const std::shared_ptr<SKNode>& b)
{
    return {a->physicsBody(), b->physicsBody()};
}

int count(const std::vector<std::string>& sounds, const std::string& name)
{
    return int(std::count(sounds.begin(), sounds.end(), name));
}

// A stage in play with one enemy (spawned on the first frame), lifted away from everything.
struct Play : GameStage {
    std::shared_ptr<SKNode> enemy;
    Play() : GameStage(true)
    {
        frames();
        enemy = named("enemy").front();
        enemy->removeAllActions();
        enemy->setPosition({600, 400});
    }
    std::shared_ptr<SKNode> newEnemy(CGPoint at)
    {
        scene->spawnEnemy();
        auto e = scene->children().back();
        e->removeAllActions();
        e->setPosition(at);
        return e;
    }
};

} // namespace

TEST(GameSceneContacts, ALaserDestroysAnEnemyForTenPointsInEitherBodyOrder)
{
    Play p;
    GameScene& s = *p.scene;
    for (int hit = 1; hit <= 3; ++hit) {
        auto enemy = hit == 1 ? p.enemy : p.newEnemy({200.0 + hit, 400});
        s.fireLaser();
        auto laser = p.lasers().back();
        laser->removeAllActions();
        laser->setPosition({500, 100}); // the explosion goes where the enemy is, not the laser
        p.sound.clear();
        // The enemy as bodyA on odd hits, the laser on even ones.
        s.didBeginContact(hit % 2 ? contact(enemy, laser) : contact(laser, enemy));
        EXPECT_FALSE(enemy->parent());
        EXPECT_FALSE(laser->parent());
        auto boom = explosions(s).back();
        EXPECT_EQ(boom->position(), enemy->position());
        EXPECT_EQ(boom->zPosition(), 5);
        p.frames();
        EXPECT_EQ(count(p.sound.played(), "explosion.wav"), 1);
    }
    EXPECT_EQ(s.score(), 30);
    EXPECT_EQ(s.scoreLabel()->text(), "SKOR: 30");
    EXPECT_EQ(s.lives(), 3);

    // The explosion bursts, glows, fades and leaves after one second.
    auto boom = explosions(s).back();
    p.frames(14);
    EXPECT_GT(boom->particleCount(), 20u);
    p.frames(15);
    EXPECT_EQ(boom->alpha(), 1);
    p.frames(15);
    EXPECT_LT(boom->alpha(), 0.6);
    p.frames(16);
    EXPECT_FALSE(boom->parent());
}

TEST(GameSceneContacts, EnemiesReachingTheShipCostALifeEachAndTheThirdEndsTheGame)
{
    Play p;
    GameScene& s = *p.scene;
    auto ship = s.player();
    const char* texts[] = {"CAN: ❤️ ❤️ 🖤", "CAN: ❤️ 🖤 🖤", "CAN: 🖤 🖤 🖤"};
    const std::size_t bytes[] = {23, 21, 19};
    for (int hit = 0; hit < 3; ++hit) {
        // A real contact: the enemy moves onto the ship and the frame finds it.
        auto enemy = hit == 0 ? p.enemy : p.newEnemy({600, 400});
        enemy->setPosition({ship->position().x + 10, ship->position().y + 40});
        p.sound.clear();
        std::size_t before = explosions(s).size();
        p.frames();
        EXPECT_FALSE(enemy->parent());
        EXPECT_EQ(s.lives(), 2 - hit);
        EXPECT_EQ(s.livesLabel()->text(), texts[hit]);
        EXPECT_EQ(s.livesLabel()->text().size(), bytes[hit]);
        if (hit < 2) {
            EXPECT_EQ(explosions(s).size(), before + 1);
            EXPECT_TRUE(ship->parent()) << "no protection, no knock-back: the ship stays";
            EXPECT_FALSE(s.isGamePaused());
        }
    }
    // The last life: two explosions (enemy, then ship), the ship gone, the game over.
    auto booms = explosions(s);
    ASSERT_GE(booms.size(), 2u);
    EXPECT_EQ(booms.back()->position(), ship->position());
    EXPECT_FALSE(ship->parent());
    EXPECT_EQ(s.player(), ship) << "the field still refers to it";
    EXPECT_TRUE(s.isGamePaused());
    auto button = s.childNodeWithName("restartButton");
    ASSERT_TRUE(button);
    EXPECT_EQ(button->position(), (CGPoint{400, 220}));
    EXPECT_EQ(std::static_pointer_cast<SKLabelNode>(button->children().front())->text(), "Tekrar Dene");
    auto total = std::static_pointer_cast<SKLabelNode>(*std::prev(std::find(s.children().begin(), s.children().end(), button)));
    EXPECT_EQ(total->text(), "OYUN BİTTİ\nToplam Skor: 0");
    EXPECT_EQ(total->position(), (CGPoint{400, 350}));
    p.sound.clear();
    p.frames();
    EXPECT_EQ(count(p.sound.played(), "explosion.wav"), 2);
}

TEST(GameSceneContacts, TwoEnemiesOnTheLastLifeInOneFrameEndTheGameOnce)
{
    Play p;
    GameScene& s = *p.scene;
    auto ship = s.player();
    for (int i = 0; i < 2; ++i) s.didBeginContact(contact(p.newEnemy({100, 500}), ship));
    ASSERT_EQ(s.lives(), 1);
    p.sound.clear();
    std::size_t before = explosions(s).size();

    auto first = p.newEnemy({ship->position().x - 5, 120});
    auto second = p.newEnemy({ship->position().x + 5, 120});
    p.frames();
    EXPECT_EQ(s.lives(), 0) << "never below zero";
    EXPECT_EQ(explosions(s).size(), before + 2) << "the first enemy and the ship, nothing more";
    EXPECT_EQ(p.count("restartButton"), 1u);
    EXPECT_TRUE(second->parent()) << "the second enemy found no ship left to hit";

    // Even if a contact with the removed ship were reported, nothing would change.
    s.didBeginContact(contact(second, ship));
    EXPECT_EQ(s.lives(), 0);
    EXPECT_EQ(p.count("restartButton"), 1u);
    EXPECT_EQ(s.livesLabel()->text(), "CAN: 🖤 🖤 🖤");
}

TEST(GameSceneContacts, AfterGameOverLasersStillScoreButThePanelKeepsItsTotalAndKeysDoNothing)
{
    Play p;
    GameScene& s = *p.scene;
    s.fireLaser();
    auto laser = p.lasers().back();
    s.didBeginContact(contact(laser, p.enemy));
    ASSERT_EQ(s.score(), 10);
    s.fireLaser(); // in flight when the game ends
    auto late = p.lasers().back();
    for (int i = 0; i < 3; ++i) s.didBeginContact(contact(p.newEnemy({100, 500}), s.player()));
    ASSERT_TRUE(s.isGamePaused());

    auto target = p.newEnemy({late->position().x, late->position().y + 30});
    p.frames(3);
    EXPECT_FALSE(target->parent());
    EXPECT_EQ(s.score(), 20);
    EXPECT_EQ(s.scoreLabel()->text(), "SKOR: 20");
    bool panelKeptTotal = false;
    for (auto& child : s.children())
        if (auto l = std::dynamic_pointer_cast<SKLabelNode>(child)) panelKeptTotal |= l->text() == "OYUN BİTTİ\nToplam Skor: 10";
    EXPECT_TRUE(panelKeptTotal);

    std::size_t lasers = p.lasers().size();
    for (std::uint16_t key : {SKKey::escape, SKKey::space, SKKey::a, SKKey::right}) p.press(key);
    p.frames();
    EXPECT_TRUE(s.isGamePaused());
    EXPECT_TRUE(s.pauseLabel()->isHidden()) << "no pause over the game-over panel";
    EXPECT_EQ(p.lasers().size(), lasers);
    EXPECT_FALSE(s.isMovingLeft() || s.isMovingRight());
}

TEST(GameSceneContacts, AMissingEmitterPrintsItsLineOncePerHitAndPlayGoesOn)
{
    auto empty = std::filesystem::temp_directory_path() / "tarvenko-no-emitter";
    std::filesystem::create_directories(empty);
    GameStage stage(true, SKBundle(empty));
    stage.frames();
    GameScene& s = *stage.scene;
    auto enemy = stage.named("enemy").front();
    s.fireLaser();
    std::size_t children = s.children().size();

    testing::internal::CaptureStdout();
    s.didBeginContact(contact(stage.lasers().back(), enemy));
    s.createExplosion({10, 10});
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Hata: 'Explosion.sks' dosyası Xcode projesinde bulunamadı!\n"
                   "Hata: 'Explosion.sks' dosyası Xcode projesinde bulunamadı!\n");
    EXPECT_EQ(s.children().size(), children - 2) << "laser and enemy gone, nothing added";
    EXPECT_EQ(s.score(), 10);
    stage.frames();
    EXPECT_EQ(count(stage.sound.played(), "explosion.wav"), 2) << "the sound plays all the same";
    std::filesystem::remove_all(empty);
}

TEST(GameSceneRestart, TheButtonOrItsWordsBringAFreshSceneAfterAHalfSecondFade)
{
    for (CGPoint at : {CGPoint{400, 220}, CGPoint{310, 200}}) {
        Play p;
        std::weak_ptr<GameScene> old = p.scene;
        for (int i = 0; i < 3; ++i) p.scene->didBeginContact(contact(p.newEnemy({100, 500}), p.scene->player()));
        p.click({400, 350}); // the total's text is no button
        EXPECT_EQ(&p.current(), p.scene.get());

        p.click(at);
        EXPECT_TRUE(p.view.isTransitioning());
        p.scene.reset();
        p.frames(30);
        EXPECT_FALSE(p.view.isTransitioning());
        EXPECT_TRUE(old.expired()) << "the old scene is dropped whole";

        GameScene& fresh = p.current();
        EXPECT_EQ(fresh.size(), (CGSize{800, 600}));
        EXPECT_EQ(fresh.scaleMode(), SKSceneScaleMode::resizeFill);
        EXPECT_EQ(fresh.score(), 0);
        EXPECT_EQ(fresh.lives(), 3);
        EXPECT_EQ(fresh.livesLabel()->text(), "CAN: ❤️ ❤️ ❤️");
        EXPECT_FALSE(fresh.isGamePaused());
        EXPECT_FALSE(fresh.childNodeWithName("disclaimerPanel"));
        EXPECT_TRUE(fresh.player());
        p.frames();
        int enemies = 0;
        for (auto& child : fresh.children()) enemies += child->name() == "enemy";
        EXPECT_EQ(enemies, 1) << "an enemy on its first frame";
    }
}
