#include "Entities.hpp"

namespace {
constexpr CGFloat muzzleHeight = 30; // above the ship's origin, over its nose
constexpr CGFloat pastTheTop = 20;   // the whole bar is out of sight there
constexpr double flightTime = 1.0;   // seconds, whatever the distance
} // namespace

std::shared_ptr<SKShapeNode> makeLaser(CGPoint ship, CGSize field)
{
    auto laser = SKShapeNode::shapeNodeWithRectOfSize({4, 15}, 2);
    laser->setFillColor(SKColor::redColor());
    laser->setStrokeColor(SKColor::clearColor());
    laser->setPosition({ship.x, ship.y + muzzleHeight});
    laser->setZPosition(1);

    auto body = SKPhysicsBody::bodyWithRectangleOfSize({4, 15});
    laser->setPhysicsBody(body);
    body->setDynamic(true);
    body->setCategoryBitMask(PhysicsCategory::laser);
    body->setContactTestBitMask(PhysicsCategory::enemy);
    body->setCollisionBitMask(0);

    laser->runAction(
        SKAction::sequence({SKAction::moveToY(field.height + pastTheTop, flightTime), SKAction::removeFromParent()}));
    return laser;
}
