#include "GameScene.hpp"

void GameScene::didBeginContact(const SKPhysicsContact&) {}
