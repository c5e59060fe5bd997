#include "Entities.hpp"
#include "RandomInRange.hpp"

namespace {
constexpr CGFloat sideMargin = 30;  // the spawn x stays this far inside either side
constexpr CGFloat aboveTheTop = 25; // the whole hull starts out of sight
constexpr CGFloat belowTheBottom = -40;
constexpr double fallTime = 4.0; // seconds, whatever the distance
} // namespace

std::shared_ptr<SKShapeNode> makeEnemy(CGSize field)
{
    // The hull, pointing down: two prongs, wing tips, a flat top edge where the flame sits.
    auto hull = SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon(
        {{-6, -20}, {-3, -10}, {3, -10}, {6, -20}, {10, -5}, {25, 10}, {12, 15}, {6, 20}, {-6, 20}, {-12, 15}, {-25, 10}, {-10, -5}}));

    // A field too narrow for the margins gets its enemies down the middle.
    CGFloat x = field.width >= 2 * sideMargin ? randomInRange(sideMargin, field.width - sideMargin) : field.width / 2;
    hull->setPosition({x, field.height + aboveTheTop});
    hull->setZPosition(4);
    hull->setName("enemy");
    hull->setFillColor(SKColor::purpleColor());
    hull->setStrokeColor(SKColor::magentaColor());
    hull->setLineWidth(1.5);

    CGPath coreOutline;
    coreOutline.addEllipseInRect({{-4, -4}, {8, 8}});
    auto core = SKShapeNode::shapeNodeWithPath(coreOutline);
    core->setFillColor(SKColor::redColor());
    core->setStrokeColor(SKColor::yellowColor());
    core->setLineWidth(0.5);
    hull->addChild(core);

    auto flame = SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon({{-4, 20}, {0, 35}, {4, 20}}));
    flame->setFillColor(SKColor::magentaColor());
    flame->setStrokeColor(SKColor::cyanColor());
    flame->setLineWidth(1.0);
    flame->setZPosition(-1);
    hull->addChild(flame);
    flame->runAction(SKAction::repeatActionForever(
        SKAction::sequence({SKAction::scaleYTo(1.3, 0.06), SKAction::scaleYTo(0.8, 0.06)})));

    auto body = SKPhysicsBody::bodyWithRectangleOfSize({50, 45});
    hull->setPhysicsBody(body);
    body->setDynamic(true);
    body->setCategoryBitMask(PhysicsCategory::enemy);
    body->setContactTestBitMask(PhysicsCategory::player | PhysicsCategory::laser);
    body->setCollisionBitMask(0);

    hull->runAction(SKAction::sequence({SKAction::moveToY(belowTheBottom, fallTime), SKAction::removeFromParent()}));
    return hull;
}
