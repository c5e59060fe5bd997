#include "GameScene.hpp"

void GameScene::gameOver() {}
