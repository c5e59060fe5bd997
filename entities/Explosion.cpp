#include "GameScene.hpp"

#include "SKEmitterNode.hpp"
#include "SKView.hpp"

#include <iostream>

namespace {
constexpr double fullGlow = 0.5; // seconds at full opacity
constexpr double fadeTime = 0.5;
} // namespace

void GameScene::createExplosion(CGPoint position)
{
    // The sound plays whether or not there is anything to see.
    runAction(explosionSound_);
    auto emitter = SKEmitterNode::nodeWithFileNamed("Explosion", view() ? view()->bundle() : SKBundle::main());
    if (!emitter) {
        std::cout << "Hata: 'Explosion.sks' dosyası Xcode projesinde bulunamadı!" << std::endl;
        return;
    }
    emitter->setPosition(position);
    emitter->setZPosition(5);
    addChild(emitter);
    emitter->runAction(SKAction::sequence(
        {SKAction::waitForDuration(fullGlow), SKAction::fadeOutWithDuration(fadeTime), SKAction::removeFromParent()}));
}
