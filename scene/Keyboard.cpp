#include "GameScene.hpp"

namespace {
// Virtual key codes: positions on the keyboard, whatever the layout or modifiers.
enum KeyCode : std::uint16_t { keyA = 0, keyD = 2, keySpace = 49, keyEscape = 53, keyLeft = 123, keyRight = 124 };
} // namespace

void GameScene::keyDown(const SKEvent& event)
{
    std::uint16_t key = event.keyCode();
    // While play is halted only ESC counts.
    if (isGamePaused_ && key != keyEscape) return;
    if (key == keyEscape) {
        togglePause();
        return;
    }
    if (key == keySpace) fireLaser();
    if (key == keyA || key == keyLeft) isMovingLeft_ = true;
    if (key == keyD || key == keyRight) isMovingRight_ = true;
}

void GameScene::keyUp(const SKEvent& event)
{
    std::uint16_t key = event.keyCode();
    if (key == keyA || key == keyLeft) isMovingLeft_ = false;
    if (key == keyD || key == keyRight) isMovingRight_ = false;
}

void GameScene::togglePause()
{
    // No pausing over the game-over panel or the warning panel.
    if (isGamePaused_ && childNodeWithName("restartButton")) return;
    if (childNodeWithName("disclaimerPanel")) return;

    isGamePaused_ = !isGamePaused_;
    if (isGamePaused_) {
        pauseLabel_->setHidden(false);
        // A key held now would otherwise keep moving the ship after the resume.
        isMovingLeft_ = false;
        isMovingRight_ = false;
        enumerateChildNodesWithName("//*", [](SKNode& node, bool&) { node.setPaused(true); });
    } else {
        pauseLabel_->setHidden(true);
        lastUpdateTime_ = 0;
        enumerateChildNodesWithName("//*", [](SKNode& node, bool&) { node.setPaused(false); });
    }
}

void GameScene::windowDidResignKey()
{
    // The keys' releases go to another window: no direction may stay held.
    isMovingLeft_ = false;
    isMovingRight_ = false;
    if (!isGamePaused_) togglePause();
}
