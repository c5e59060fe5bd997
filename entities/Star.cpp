#include "Entities.hpp"
#include "RandomInRange.hpp"

namespace {
constexpr CGFloat offscreen = 10; // stars fall to -10 and come back at height + 10
} // namespace

std::shared_ptr<SKShapeNode> makeStar(const std::shared_ptr<SKScene>& scene)
{
    CGSize field = scene->size();
    auto star = SKShapeNode::shapeNodeWithCircleOfRadius(randomInRange(1, 3));
    star->setFillColor(SKColor::whiteColor());
    star->setStrokeColor(SKColor::clearColor());
    star->setAlpha(randomInRange(0.4, 1.0));
    CGFloat x = randomInRange(0, field.width);
    CGFloat y = randomInRange(0, field.height);
    star->setPosition({x, y});
    star->setZPosition(-1);
    star->setName("star");

    double fallDuration = randomInRange(3, 6);
    auto fall = SKAction::moveToY(-offscreen, fallDuration);
    // The star owns this block: it holds the star and the scene weakly, never in a cycle.
    std::weak_ptr<SKScene> weakScene = scene;
    std::weak_ptr<SKNode> weakStar = star;
    auto reenter = SKAction::runBlock([weakScene, weakStar] {
        if (auto s = weakStar.lock()) resetStar(weakScene, *s);
    });
    star->runAction(SKAction::repeatActionForever(SKAction::sequence({fall, reenter})));
    return star;
}

void resetStar(const std::weak_ptr<SKScene>& scene, SKNode& star)
{
    auto owner = scene.lock();
    if (!owner) return;
    star.setPosition({star.position().x, owner->size().height + offscreen});
    star.setPosition({randomInRange(0, owner->size().width), star.position().y});
}
