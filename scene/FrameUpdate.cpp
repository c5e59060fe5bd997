#include "GameScene.hpp"

#include "Entities.hpp"

#include <algorithm>

namespace {
constexpr CGFloat edgeMargin = 25;    // the ship's x stays this far inside either side
constexpr double enemyInterval = 1.5; // seconds between enemies
} // namespace

void GameScene::update(double currentTime)
{
    if (isGamePaused()) return;
    if (lastUpdateTime_ == 0) lastUpdateTime_ = currentTime;

    // A fixed step per frame; the host holds the frame rate at 60.
    if (player_) {
        if (isMovingLeft_) {
            CGPoint p = player_->position();
            player_->setPosition({std::max(p.x - playerSpeed_, edgeMargin), p.y});
        }
        if (isMovingRight_) {
            CGPoint p = player_->position();
            player_->setPosition({std::min(p.x + playerSpeed_, size().width - edgeMargin), p.y});
        }
    }

    if (currentTime - lastEnemyTime_ > enemyInterval) {
        spawnEnemy();
        lastEnemyTime_ = currentTime;
    }
    lastUpdateTime_ = currentTime;
}

void GameScene::spawnEnemy() { addChild(makeEnemy(size())); }
