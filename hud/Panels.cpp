#include "Hud.hpp"

namespace {

constexpr const char* boldFont = "AvenirNext-Bold";

// A panel button's face: faint green inside a green edge.
void paintButton(SKShapeNode& button, CGFloat lineWidth)
{
    button.setFillColor(SKColor::colorWithRed(0.1, 0.6, 0.1, 0.2));
    button.setStrokeColor(SKColor::greenColor());
    button.setLineWidth(lineWidth);
}

std::shared_ptr<SKLabelNode> buttonText(const char* text, CGFloat fontSize, std::string_view name)
{
    auto label = SKLabelNode::labelNodeWithFontNamed(boldFont);
    label->setText(text);
    label->setFontSize(fontSize);
    label->setFontColor(SKColor::greenColor());
    label->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    label->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    label->setName(std::string(name));
    return label;
}

} // namespace

std::shared_ptr<SKShapeNode> makeDisclaimerPanel(CGSize field)
{
    auto panel = SKShapeNode::shapeNodeWithRect({{-250, -160}, {500, 320}}, 12);
    panel->setPosition({field.width * 0.5, field.height * 0.5});
    panel->setFillColor(SKColor::colorWithWhite(0.08, 0.98));
    panel->setStrokeColor(SKColor::redColor());
    panel->setLineWidth(2);
    panel->setName(std::string(disclaimerPanelName));

    auto title = SKLabelNode::labelNodeWithFontNamed(boldFont);
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
    paintButton(*button, 1.5);
    button->setName(std::string(continueButtonName));
    panel->addChild(button);

    // A sibling of the button, not its child, under the same name.
    auto text = buttonText("Devam Et", 14, continueButtonName);
    text->setPosition({0, -112});
    panel->addChild(text);
    return panel;
}

GameOverPanel makeGameOverPanel(CGSize field, std::int64_t score)
{
    auto total = SKLabelNode::labelNodeWithFontNamed(boldFont);
    total->setText("OYUN BİTTİ\nToplam Skor: " + std::to_string(score));
    total->setNumberOfLines(2);
    total->setFontSize(40);
    total->setFontColor(SKColor::redColor());
    total->setPosition({field.width * 0.5, field.height * 0.5 + 50});
    total->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    total->setZPosition(20);

    auto button = SKShapeNode::shapeNodeWithRect({{-100, -25}, {200, 50}}, 8);
    button->setPosition({field.width * 0.5, field.height * 0.5 - 80});
    paintButton(*button, 2);
    button->setName(std::string(restartButtonName));
    button->setZPosition(20);

    auto text = buttonText("Tekrar Dene", 18, restartButtonName);
    text->setPosition({0, 0});
    button->addChild(text);
    return {total, button};
}
