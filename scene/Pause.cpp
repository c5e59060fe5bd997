#include "GameScene.hpp"

void GameScene::togglePause()
{
    // No pausing over the warning panel or the game-over panel.
    if (playState_ == PlayState::warning || playState_ == PlayState::gameOver) return;

    bool pausing = playState_ == PlayState::playing;
    playState_ = pausing ? PlayState::paused : PlayState::playing;
    pauseLabel_->setHidden(!pausing);
    if (pausing)
        releaseDirections();
    else
        lastUpdateTime_ = 0;
    enumerateChildNodesWithName("//*", [pausing](SKNode& node, bool&) { node.setPaused(pausing); });
}

void GameScene::windowDidResignKey()
{
    // The keys' releases go to another window.
    releaseDirections();
    if (playState_ == PlayState::playing) togglePause();
}

void GameScene::releaseDirections()
{
    isMovingLeft_ = false;
    isMovingRight_ = false;
}
