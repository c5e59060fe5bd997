#include "GameScene.hpp"

bool disclaimerAccepted = false;

void GameScene::showDisclaimerOrStart()
{
    if (disclaimerAccepted) {
        isGamePaused_ = false;
        createPlayer();
        setupPauseLabel();
        return;
    }
    isGamePaused_ = true;

    auto panel = SKShapeNode::shapeNodeWithRect({{-250, -160}, {500, 320}}, 12);
    panel->setPosition({size().width * 0.5, size().height * 0.5});
    panel->setFillColor(SKColor::colorWithWhite(0.08, 0.98));
    panel->setStrokeColor(SKColor::redColor());
    panel->setLineWidth(2);
    panel->setName("disclaimerPanel");
    addChild(panel);

    auto title = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    title->setText("SİSTEM UYARISI");
    title->setFontSize(22);
    title->setFontColor(SKColor::redColor());
    title->setPosition({0, 110});
    panel->addChild(title);

    auto body = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Medium");
    body->setText("UYARI: Bu oyun yalnızca macOS bilgisayarlar için\n"
                  "Xcode kullanılarak yapılmıştır.\n"
                  "\n"
                  "Windows, iOS ve de Android gibi cihazlarda\n"
                  "doğrudan çalışmaz.\n"
                  "\n"
                  "Eğer emülatör kullanıyorsanız risk alarak oynayın.");
    body->setNumberOfLines(7);
    body->setFontSize(15);
    body->setFontColor(SKColor::whiteColor());
    body->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    body->setPosition({0, -50});
    panel->addChild(body);

    auto button = SKShapeNode::shapeNodeWithRect({{-75, -130}, {150, 35}}, 6);
    button->setFillColor(SKColor::colorWithRed(0.1, 0.6, 0.1, 0.2));
    button->setStrokeColor(SKColor::greenColor());
    button->setLineWidth(1.5);
    button->setName("continueButton");
    panel->addChild(button);

    // A sibling of the button, not its child, under the same name: a click on either counts.
    auto buttonText = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    buttonText->setText("Devam Et");
    buttonText->setFontSize(14);
    buttonText->setFontColor(SKColor::greenColor());
    buttonText->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    buttonText->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    buttonText->setPosition({0, -112});
    buttonText->setName("continueButton");
    panel->addChild(buttonText);
}
