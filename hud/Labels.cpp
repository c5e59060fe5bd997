#include "Hud.hpp"

namespace {
constexpr const char* hudFont = "AvenirNext-Bold";
} // namespace

std::string scoreText(std::int64_t score) { return "SKOR: " + std::to_string(score); }

std::string_view livesText(std::int64_t lives)
{
    switch (lives) {
    case 3: return "CAN: ❤️ ❤️ ❤️";
    case 2: return "CAN: ❤️ ❤️ 🖤";
    case 1: return "CAN: ❤️ 🖤 🖤";
    default: return "CAN: 🖤 🖤 🖤";
    }
}

std::shared_ptr<SKLabelNode> makeScoreLabel(CGSize field)
{
    auto label = SKLabelNode::labelNodeWithFontNamed(hudFont);
    label->setText(scoreText(0));
    label->setFontSize(24);
    label->setFontColor(SKColor::whiteColor());
    label->setPosition({100, field.height - 50});
    label->setZPosition(2);
    return label;
}

std::shared_ptr<SKLabelNode> makeLivesLabel(CGSize field)
{
    auto label = SKLabelNode::labelNodeWithFontNamed(hudFont);
    label->setText(std::string(livesText(3)));
    label->setFontSize(24);
    label->setFontColor(SKColor::redColor());
    label->setPosition({field.width - 150, field.height - 50});
    label->setZPosition(2);
    return label;
}

std::shared_ptr<SKLabelNode> makePauseLabel(CGSize field)
{
    auto label = SKLabelNode::labelNodeWithFontNamed(hudFont);
    label->setText("OYUN DURDURULDU\n(Devam etmek için 'ESC' tuşuna basın)");
    label->setNumberOfLines(2);
    label->setHorizontalAlignmentMode(SKLabelHorizontalAlignmentMode::center);
    label->setFontSize(30);
    label->setFontColor(SKColor::yellowColor());
    label->setPosition({field.width * 0.5, field.height * 0.5});
    label->setZPosition(10);
    label->setHidden(true);
    return label;
}
