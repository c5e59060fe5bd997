#include "GameScene.hpp"
#include "RandomInRange.hpp"

#include <cmath>

namespace {
constexpr int starCount = 30;
constexpr CGFloat offscreen = 10; // stars fall to -10 and come back at height + 10
} // namespace

void GameScene::createStarfield()
{
    setBackgroundColor(SKColor::blackColor());
    std::weak_ptr<GameScene> self = std::static_pointer_cast<GameScene>(shared_from_this());
    for (int i = 0; i < starCount; ++i) {
        auto star = SKShapeNode::shapeNodeWithCircleOfRadius(randomInRange(1, 3));
        star->setFillColor(SKColor::whiteColor());
        star->setStrokeColor(SKColor::clearColor());
        star->setAlpha(randomInRange(0.4, 1.0));
        // On whole points across: a star then falls through one column of pixels, and its
        // sprite is drawn for a few positions within a pixel instead of many.
        CGFloat x = std::round(randomInRange(0, size().width));
        CGFloat y = randomInRange(0, size().height);
        star->setPosition({x, y});
        star->setZPosition(-1);
        star->setName("star");
        addChild(star);

        double fallDuration = randomInRange(3, 6);
        auto fall = SKAction::moveToY(-offscreen, fallDuration);
        // The star owns this block: it holds the star and the scene weakly, never in a cycle.
        std::weak_ptr<SKNode> weakStar = star;
        auto reenter = SKAction::runBlock([self, weakStar] {
            if (auto s = weakStar.lock()) resetStar(self, *s);
        });
        star->runAction(SKAction::repeatActionForever(SKAction::sequence({fall, reenter})));
    }
}

void GameScene::resetStar(const std::weak_ptr<GameScene>& scene, SKNode& star)
{
    auto owner = scene.lock();
    if (!owner) return;
    star.setPosition({star.position().x, owner->size().height + offscreen});
    star.setPosition({std::round(randomInRange(0, owner->size().width)), star.position().y});
}
