#include "GameScene.hpp"

#include "Entities.hpp"
#include "Hud.hpp"

namespace {
constexpr int starCount = 30;
} // namespace

bool disclaimerAccepted = false;

// Every field starts at its initial value (the members' initialisers) before the scene's own
// construction runs.
GameScene::GameScene(CGSize size) : SKScene(size) {}

GameScene::GameScene() = default;

GameScene::GameScene(const SKCoder& coder) : SKScene(coder) {}

void GameScene::didMoveToView(SKView&)
{
    // Nothing falls: every motion is an action's or the frame update's.
    physicsWorld().setGravity({0, 0});
    physicsWorld().setContactDelegate(this);
    createStarfield();
    setupScoreLabel();
    setupLivesLabel();
    showDisclaimerOrStart();
}

void GameScene::showDisclaimerOrStart()
{
    if (disclaimerAccepted) {
        startPlay();
        return;
    }
    playState_ = PlayState::warning;
    addChild(makeDisclaimerPanel(size()));
}

void GameScene::startPlay()
{
    playState_ = PlayState::playing;
    createPlayer();
    setupPauseLabel();
}

void GameScene::createStarfield()
{
    setBackgroundColor(SKColor::blackColor());
    auto self = std::static_pointer_cast<SKScene>(shared_from_this());
    for (int i = 0; i < starCount; ++i) addChild(makeStar(self));
}

void GameScene::createPlayer()
{
    player_ = makePlayerShip(size());
    addChild(player_);
}

void GameScene::setupScoreLabel()
{
    scoreLabel_ = makeScoreLabel(size());
    addChild(scoreLabel_);
}

void GameScene::setupLivesLabel()
{
    livesLabel_ = makeLivesLabel(size());
    addChild(livesLabel_);
}

void GameScene::setupPauseLabel()
{
    pauseLabel_ = makePauseLabel(size());
    addChild(pauseLabel_);
}
