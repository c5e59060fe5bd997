#include "GameScene.hpp"

#include "Hud.hpp"
#include "SKTransition.hpp"
#include "SKView.hpp"

namespace {
constexpr double restartFade = 0.5; // seconds
} // namespace

void GameScene::mouseDown(const SKEvent& event)
{
    CGPoint location = event.locationInNode(*this);
    // Front-most first; a button's label carries the button's name, so either one counts.
    for (const auto& node : nodesAtPoint(location)) {
        if (node->name() == continueButtonName) {
            continueFromDisclaimer();
            return;
        }
        if (node->name() == restartButtonName) {
            restart();
            return;
        }
    }
}

void GameScene::continueFromDisclaimer()
{
    if (auto panel = childNodeWithName(disclaimerPanelName)) panel->removeFromParent();
    disclaimerAccepted = true;
    startPlay();
}

void GameScene::restart()
{
    SKView* presenter = view();
    if (!presenter) return;
    auto scene = std::make_shared<GameScene>(size());
    scene->setScaleMode(scaleMode());
    presenter->presentScene(scene, SKTransition::fadeWithDuration(restartFade));
}
