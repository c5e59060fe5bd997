#include "Entities.hpp"

namespace {
constexpr double fullGlow = 0.5; // seconds at full opacity
constexpr double fadeTime = 0.5;
} // namespace

std::shared_ptr<SKEmitterNode> makeExplosion(CGPoint at, const SKBundle& resources)
{
    auto emitter = SKEmitterNode::nodeWithFileNamed("Explosion", resources);
    if (!emitter) return nullptr;
    emitter->setPosition(at);
    emitter->setZPosition(5);
    emitter->runAction(SKAction::sequence(
        {SKAction::waitForDuration(fullGlow), SKAction::fadeOutWithDuration(fadeTime), SKAction::removeFromParent()}));
    return emitter;
}
