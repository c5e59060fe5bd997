#include "GameScene.hpp"

#include "Entities.hpp"

void GameScene::keyDown(const SKEvent& event)
{
    std::uint16_t key = event.keyCode();
    if (key == SKKey::escape) {
        togglePause();
        return;
    }
    // While play is halted only ESC counts.
    if (isGamePaused()) return;
    if (key == SKKey::space) fireLaser();
    if (key == SKKey::a || key == SKKey::left) isMovingLeft_ = true;
    if (key == SKKey::d || key == SKKey::right) isMovingRight_ = true;
}

void GameScene::keyUp(const SKEvent& event)
{
    std::uint16_t key = event.keyCode();
    if (key == SKKey::a || key == SKKey::left) isMovingLeft_ = false;
    if (key == SKKey::d || key == SKKey::right) isMovingRight_ = false;
}

void GameScene::fireLaser()
{
    if (!player_) return;
    addChild(makeLaser(player_->position(), size()));
    // On the scene, so the sound plays out even if the laser is gone at once.
    runAction(laserSound_);
}
