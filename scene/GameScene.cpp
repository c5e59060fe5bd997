#include "GameScene.hpp"

// Every field starts at its initial value (the members' initialisers) before the scene's own
// construction runs.
GameScene::GameScene(CGSize size) : SKScene(size) {}

GameScene::GameScene() = default;

GameScene::GameScene(const SKCoder& coder) : SKScene(coder) {}

std::weak_ptr<GameScene> GameScene::weakSelf()
{
    return std::static_pointer_cast<GameScene>(shared_from_this());
}

void GameScene::didMoveToView(SKView&)
{
    physicsWorld().setGravity({0, 0});
    physicsWorld().setContactDelegate(this);
    createStarfield();
    setupScoreLabel();
    setupLivesLabel();
    showDisclaimerOrStart();
}
