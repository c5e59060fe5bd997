#include "DemoScene.hpp"

#include "SKAction.hpp"
#include "SKEmitterNode.hpp"
#include "SKLabelNode.hpp"
#include "SKShapeNode.hpp"

namespace {

std::shared_ptr<SKShapeNode> shape(std::shared_ptr<SKShapeNode> node, CGPoint at, SKColor fill, SKColor stroke,
                                   CGFloat lineWidth = 1, CGFloat z = 0, CGFloat alpha = 1)
{
    node->setPosition(at), node->setFillColor(fill), node->setStrokeColor(stroke), node->setLineWidth(lineWidth);
    node->setZPosition(z), node->setAlpha(alpha);
    return node;
}

std::shared_ptr<SKLabelNode> label(const char* text, CGFloat size, SKColor colour)
{
    auto label = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    label->setText(text), label->setFontSize(size), label->setFontColor(colour);
    return label;
}

} // namespace

std::shared_ptr<SKShapeNode> DemoScene::square(CGPoint at, CGFloat side, SKColor fill, CGFloat z, CGFloat alpha)
{
    return shape(SKShapeNode::shapeNodeWithRectOfSize({side, side}), at, fill, SKColor::clearColor(), 1, z, alpha);
}

void DemoScene::didMoveToView(SKView&)
{
    setBackgroundColor(SKColor::blackColor());
    CGFloat w = size().width, h = size().height;
    // A concave 13-point outline, pointing up.
    auto ship = shape(SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon(
                          {{0, 40}, {7, 25}, {8, -5}, {28, -20}, {28, -25}, {12, -20}, {12, -25}, {-12, -25},
                           {-12, -20}, {-28, -25}, {-28, -20}, {-8, -5}, {-7, 25}})),
                      {w * 0.2, h * 0.7}, SKColor::whiteColor(), SKColor::lightGrayColor(), 1.5);
    ship->setScale(2);
    addChild(ship);
    auto button = shape(SKShapeNode::shapeNodeWithRect({{-100, -25}, {200, 50}}, 8), {w * 0.5, h * 0.7},
                        SKColor::colorWithRed(0.1, 0.6, 0.1, 0.2), SKColor::greenColor(), 2);
    auto buttonText = label("Tekrar Dene", 18, SKColor::greenColor());
    buttonText->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    button->addChild(buttonText);
    addChild(button);
    for (int i = 0; i < 5; ++i)
        addChild(shape(SKShapeNode::shapeNodeWithCircleOfRadius(22), {w * 0.1 + i * 40, h * 0.4}, SKColor::cyanColor(),
                       SKColor::clearColor(), 1, 0, 0.2 + 0.2 * i));
    auto pause = label("OYUN DURDURULDU\n(Devam etmek için 'ESC' tuşuna basın)", 30, SKColor::yellowColor());
    pause->setNumberOfLines(2), pause->setPosition({w * 0.5, h * 0.15}), pause->setZPosition(10);
    addChild(pause);
    auto lives = label("CAN: ❤️ ❤️ 🖤  İ Ş Ğ", 24, SKColor::redColor());
    lives->setPosition({w - 200, h - 50}), lives->setAlpha(0.8);
    addChild(lives);
    // Depth: the sum of the depths along the tree, children over their parents on ties; alpha
    // multiplies down the tree; a hidden node hides what is below it.
    auto front = square({w * 0.5 + 10, h * 0.4}, 40, SKColor::greenColor(), 1);
    front->addChild(square({20, 0}, 20, SKColor::colorWithRed(0, 0, 1, 1), 0));
    addChild(front);
    auto back = square({w * 0.5, h * 0.4}, 40, SKColor::redColor(), 5, 0.5);
    back->addChild(square({-25, 0}, 20, SKColor::whiteColor(), -1, 0.5));
    addChild(back);
    auto hidden = square({w * 0.5, h * 0.25}, 40, SKColor::whiteColor(), 0);
    hidden->setHidden(true);
    hidden->addChild(square({0, 0}, 10, SKColor::whiteColor(), 0));
    addChild(hidden);
    std::string error;
    auto settings = *SKEmitterNode::parse(R"({
        "birthRate": 4000, "numParticlesToEmit": 120, "lifetime": 0.7, "lifetimeRange": 0.3,
        "emissionAngleRange": 360, "speed": 110, "speedRange": 80, "radius": 3,
        "scaleSpeed": -0.8, "alphaSpeed": -1.2, "blendMode": "add",
        "colors": [{"at": 0, "color": [1, 1, 0.7]}, {"at": 0.4, "color": [1, 0.6, 0]}, {"at": 1, "color": [0.8, 0.1, 0]}]
    })", error);
    auto burst = [this, settings, at = CGPoint{w * 0.78, h * 0.4}] {
        auto node = std::make_shared<SKEmitterNode>(settings);
        node->setPosition(at), node->setZPosition(5);
        addChild(node);
        return node;
    };
    auto first = burst();
    first->setRandomSeed(42);
    for (int i = 0; i < 12; ++i) first->advanceSimulation(1.0 / 60);
    // A new burst every 1.2 s: frames that change by themselves.
    auto again = SKAction::runBlock([burst] {
        burst()->runAction(SKAction::sequence(
            {SKAction::waitForDuration(0.5), SKAction::fadeOutWithDuration(0.5), SKAction::removeFromParent()}));
    });
    runAction(SKAction::repeatActionForever(SKAction::sequence({SKAction::waitForDuration(1.2), again})));
}
