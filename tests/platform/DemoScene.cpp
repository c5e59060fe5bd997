#include "DemoScene.hpp"

#include "SKAction.hpp"
#include "SKEmitterNode.hpp"
#include "SKLabelNode.hpp"
#include "SKShapeNode.hpp"

void DemoScene::didMoveToView(SKView&)
{
    setBackgroundColor(SKColor::blackColor());
    CGFloat w = size().width, h = size().height;

    // A concave 13-point outline, pointing up.
    auto ship = SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon({{0, 40}, {7, 25}, {8, -5}, {28, -20}, {28, -25},
                                                                      {12, -20}, {12, -25}, {-12, -25}, {-12, -20},
                                                                      {-28, -25}, {-28, -20}, {-8, -5}, {-7, 25}}));
    ship->setPosition({w * 0.2, h * 0.7});
    ship->setScale(2);
    ship->setFillColor(SKColor::whiteColor());
    ship->setStrokeColor(SKColor::lightGrayColor());
    ship->setLineWidth(1.5);
    addChild(ship);

    auto button = SKShapeNode::shapeNodeWithRect({{-100, -25}, {200, 50}}, 8);
    button->setPosition({w * 0.5, h * 0.7});
    button->setFillColor(SKColor::colorWithRed(0.1, 0.6, 0.1, 0.2));
    button->setStrokeColor(SKColor::greenColor());
    button->setLineWidth(2);
    addChild(button);
    auto buttonText = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    buttonText->setText("Tekrar Dene");
    buttonText->setFontSize(18);
    buttonText->setFontColor(SKColor::greenColor());
    buttonText->setVerticalAlignmentMode(SKLabelVerticalAlignmentMode::center);
    button->addChild(buttonText);

    for (int i = 0; i < 5; ++i) {
        auto circle = SKShapeNode::shapeNodeWithCircleOfRadius(22);
        circle->setFillColor(SKColor::cyanColor());
        circle->setStrokeColor(SKColor::clearColor());
        circle->setAlpha(0.2 + 0.2 * i);
        circle->setPosition({w * 0.1 + i * 40, h * 0.4});
        addChild(circle);
    }

    auto pause = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    pause->setText("OYUN DURDURULDU\n(Devam etmek için 'ESC' tuşuna basın)");
    pause->setNumberOfLines(2);
    pause->setFontSize(30);
    pause->setFontColor(SKColor::yellowColor());
    pause->setPosition({w * 0.5, h * 0.15});
    pause->setZPosition(10);
    addChild(pause);

    auto lives = SKLabelNode::labelNodeWithFontNamed("AvenirNext-Bold");
    lives->setText("CAN: ❤️ ❤️ 🖤  İ Ş Ğ");
    lives->setFontSize(24);
    lives->setFontColor(SKColor::redColor());
    lives->setPosition({w - 200, h - 50});
    lives->setAlpha(0.8);
    addChild(lives);

    // Depth: the sum of the depths along the tree, children over their parents on ties; alpha
    // multiplies down the tree; a hidden node hides what is below it.
    auto square = [](CGPoint at, CGFloat side, SKColor fill, CGFloat z, CGFloat alpha = 1) {
        auto node = SKShapeNode::shapeNodeWithRectOfSize({side, side});
        node->setPosition(at), node->setFillColor(fill), node->setStrokeColor(SKColor::clearColor());
        node->setZPosition(z), node->setAlpha(alpha);
        return node;
    };
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
    auto settings = SKEmitterNode::parse(R"({
        "birthRate": 4000, "numParticlesToEmit": 120, "lifetime": 0.7, "lifetimeRange": 0.3,
        "emissionAngleRange": 360, "speed": 110, "speedRange": 80, "radius": 3,
        "scaleSpeed": -0.8, "alphaSpeed": -1.2, "blendMode": "add",
        "colors": [{"at": 0, "color": [1, 1, 0.7]}, {"at": 0.4, "color": [1, 0.6, 0]}, {"at": 1, "color": [0.8, 0.1, 0]}]
    })", error);
    auto burst = std::make_shared<SKEmitterNode>(*settings);
    burst->setRandomSeed(42);
    burst->setPosition({w * 0.78, h * 0.4});
    burst->setZPosition(5);
    addChild(burst);
    for (int i = 0; i < 12; ++i) burst->advanceSimulation(1.0 / 60);
    // A new burst every 1.2 s: frames that change by themselves.
    runAction(SKAction::repeatActionForever(SKAction::sequence({SKAction::waitForDuration(1.2), SKAction::runBlock([this, settings = *settings, w, h] {
        auto again = std::make_shared<SKEmitterNode>(settings);
        again->setPosition({w * 0.78, h * 0.4});
        again->setZPosition(5);
        addChild(again);
        again->runAction(SKAction::sequence({SKAction::waitForDuration(0.5), SKAction::fadeOutWithDuration(0.5), SKAction::removeFromParent()}));
    })})));
}
