#include "GameScene.hpp"

#include "Entities.hpp"
#include "Hud.hpp"

#include <iostream>

namespace {
constexpr std::int64_t pointsPerHit = 10;
} // namespace

void GameScene::didBeginContact(const SKPhysicsContact& contact)
{
    // The lower category first: the laser or the player, then the enemy, whichever came as bodyA.
    bool aFirst = contact.bodyA->categoryBitMask() < contact.bodyB->categoryBitMask();
    const SKPhysicsBody& first = aFirst ? *contact.bodyA : *contact.bodyB;
    const SKPhysicsBody& second = aFirst ? *contact.bodyB : *contact.bodyA;

    if (first.categoryBitMask() == PhysicsCategory::laser && second.categoryBitMask() == PhysicsCategory::enemy) {
        auto laser = first.node();
        auto enemy = second.node();
        if (!laser || !enemy) return;
        createExplosion(enemy->position());
        laser->removeFromParent();
        enemy->removeFromParent();
        score_ += pointsPerHit;
        if (scoreLabel_) scoreLabel_->setText(scoreText(score_));
    } else if (first.categoryBitMask() == PhysicsCategory::player &&
               second.categoryBitMask() == PhysicsCategory::enemy) {
        auto ship = first.node();
        auto enemy = second.node();
        // A ship already destroyed by another enemy of the same frame loses no further life.
        if (!ship || !enemy || !ship->inParentHierarchy(*this)) return;
        createExplosion(enemy->position());
        enemy->removeFromParent();
        lives_ -= 1;
        if (livesLabel_) livesLabel_->setText(std::string(livesText(lives_)));
        if (lives_ < 1 || lives_ > 3) {
            createExplosion(ship->position());
            ship->removeFromParent();
            gameOver();
        }
    }
}

void GameScene::createExplosion(CGPoint position)
{
    // The sound plays whether or not there is anything to see.
    runAction(explosionSound_);
    auto emitter = makeExplosion(position, bundle());
    if (!emitter) {
        std::cout << "Hata: 'Explosion.sks' dosyası Xcode projesinde bulunamadı!" << std::endl;
        return;
    }
    addChild(emitter);
}

void GameScene::gameOver()
{
    playState_ = PlayState::gameOver;
    auto [total, button] = makeGameOverPanel(size(), score_);
    addChild(total);
    addChild(button);
}
