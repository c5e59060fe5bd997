#include "GameScene.hpp"

#include <string>

void GameScene::gameOver()
{
    isGamePaused_ = true;

    // The total as it stands now; a laser still in flight may add to the score label later.
    auto total = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    total->setText("OYUN BİTTİ\nToplam Skor: " + std::to_string(score_));
    total->setNumberOfLines(2);
    total->setFontSize(40);
    total->setFontColor(SKColor::redColor());
    total->setPosition({size().width * 0.5, size().height * 0.5 + 50});
    total->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    total->setZPosition(20);
    addChild(total);

    auto button = SKShapeNode::shapeNodeWithRect({{-100, -25}, {200, 50}}, 8);
    button->setPosition({size().width * 0.5, size().height * 0.5 - 80});
    button->setFillColor(SKColor::colorWithRed(0.1, 0.6, 0.1, 0.2));
    button->setStrokeColor(SKColor::greenColor());
    button->setLineWidth(2);
    button->setName("restartButton");
    button->setZPosition(20);
    addChild(button);

    // The label carries the button's name too, so a click on the words restarts as well.
    auto buttonText = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    buttonText->setText("Tekrar Dene");
    buttonText->setFontSize(18);
    buttonText->setFontColor(SKColor::greenColor());
    buttonText->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    buttonText->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    buttonText->setPosition({0, 0});
    buttonText->setName("restartButton");
    button->addChild(buttonText);
}
