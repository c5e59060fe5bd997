#include "GameScene.hpp"

namespace {
constexpr const char* hudFont = "AvenirNext-Bold";
} // namespace

void GameScene::setupScoreLabel()
{
    scoreLabel_ = SKLabelNode::labelNodeWithFontNamed(hudFont);
    scoreLabel_->setText("SKOR: 0");
    scoreLabel_->setFontSize(24);
    scoreLabel_->setFontColor(SKColor::whiteColor());
    scoreLabel_->setPosition({100, size().height - 50});
    scoreLabel_->setZPosition(2);
    addChild(scoreLabel_);
}

void GameScene::setupLivesLabel()
{
    livesLabel_ = SKLabelNode::labelNodeWithFontNamed(hudFont);
    livesLabel_->setText("CAN: ❤️ ❤️ ❤️");
    livesLabel_->setFontSize(24);
    livesLabel_->setFontColor(SKColor::redColor());
    livesLabel_->setPosition({size().width - 150, size().height - 50});
    livesLabel_->setZPosition(2);
    addChild(livesLabel_);
}

void GameScene::setupPauseLabel()
{
    pauseLabel_ = SKLabelNode::labelNodeWithFontNamed(hudFont);
    pauseLabel_->setText("OYUN DURDURULDU\n(Devam etmek için 'ESC' tuşuna basın)");
    pauseLabel_->setNumberOfLines(2);
    pauseLabel_->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    pauseLabel_->setFontSize(30);
    pauseLabel_->setFontColor(SKColor::yellowColor());
    pauseLabel_->setPosition({size().width * 0.5, size().height * 0.5});
    pauseLabel_->setZPosition(10);
    pauseLabel_->setHidden(true);
    addChild(pauseLabel_);
}
