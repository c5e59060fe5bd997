#include "GameScene.hpp"

void GameScene::createExplosion(CGPoint) {}
