#include "Entities.hpp"
#include "RandomInRange.hpp"

std::shared_ptr<SKShapeNode> makePlayerShip(CGSize field)
{
    // The hull, pointing up: a nose, a narrow body, swept wings with notched trailing edges.
    auto hull = SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon({{0, 40},
                                                                       {7, 25},
                                                                       {8, -5},
                                                                       {28, -20},
                                                                       {28, -25},
                                                                       {12, -20},
                                                                       {12, -25},
                                                                       {-12, -25},
                                                                       {-12, -20},
                                                                       {-28, -25},
                                                                       {-28, -20},
                                                                       {-8, -5},
                                                                       {-7, 25}}));
    hull->setPosition({field.width * 0.5, 100});
    hull->setZPosition(5);
    hull->setFillColor(SKColor::whiteColor());
    hull->setStrokeColor(SKColor::lightGrayColor());
    hull->setLineWidth(1.5);

    auto noseTip = SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon({{0, 40}, {5, 30}, {-5, 30}}));
    noseTip->setFillColor(SKColor::darkGrayColor());
    noseTip->setStrokeColor(SKColor::clearColor());
    hull->addChild(noseTip);

    auto cockpit = SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon({{-4, 25}, {4, 25}, {2, 20}, {-2, 20}}));
    cockpit->setFillColor(SKColor::cyanColor());
    cockpit->setStrokeColor(SKColor::clearColor());
    hull->addChild(cockpit);

    for (CGFloat x : {-7.0, 0.0, 7.0}) {
        auto flame = SKShapeNode::shapeNodeWithPath(CGPath::closedPolygon({{x - 3, -25}, {x, -45}, {x + 3, -25}}));
        flame->setFillColor(SKColor::cyanColor());
        flame->setStrokeColor(SKColor::orangeColor());
        flame->setLineWidth(1.0);
        flame->setZPosition(-1);
        hull->addChild(flame);
        // Each flame flickers at its own rate.
        double step = randomInRange(0.04, 0.07);
        auto flicker = SKAction::sequence({SKAction::scaleYTo(1.4, step), SKAction::scaleYTo(0.7, step)});
        flame->runAction(SKAction::repeatActionForever(flicker));
    }

    auto body = SKPhysicsBody::bodyWithRectangleOfSize({56, 65});
    hull->setPhysicsBody(body);
    body->setDynamic(true);
    body->setCategoryBitMask(PhysicsCategory::player);
    body->setContactTestBitMask(PhysicsCategory::enemy);
    body->setCollisionBitMask(0);
    return hull;
}
