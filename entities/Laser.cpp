#include "GameScene.hpp"

namespace {
constexpr CGFloat muzzleHeight = 30;  // above the ship's origin, over its nose
constexpr CGFloat pastTheTop = 20;    // the whole bar is out of sight there
constexpr double flightTime = 1.0;    // seconds, whatever the distance
} // namespace

void GameScene::fireLaser()
{
    if (!player_) return;
    auto laser = SKShapeNode::shapeNodeWithRectOfSize({4, 15}, 2);
    laser->setFillColor(SKColor::redColor());
    laser->setStrokeColor(SKColor::clearColor());
    CGPoint ship = player_->position();
    laser->setPosition({ship.x, ship.y + muzzleHeight});
    laser->setZPosition(1);

    auto body = SKPhysicsBody::bodyWithRectangleOfSize({4, 15});
    laser->setPhysicsBody(body);
    body->setDynamic(true);
    body->setCategoryBitMask(PhysicsCategory::laser);
    body->setContactTestBitMask(PhysicsCategory::enemy);
    body->setCollisionBitMask(0);

    addChild(laser);
    // On the scene, so the sound plays out even if the laser is gone at once.
    runAction(laserSound_);
    laser->runAction(
        SKAction::sequence({SKAction::moveToY(size().height + pastTheTop, flightTime), SKAction::removeFromParent()}));
}
