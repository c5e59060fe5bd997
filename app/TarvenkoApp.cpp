#include "TarvenkoApp.hpp"

#include "GameScene.hpp"

const std::shared_ptr<SKScene>& TarvenkoApp::scene()
{
    if (!scene_) scene_ = makeScene();
    return scene_;
}

std::shared_ptr<SKScene> TarvenkoApp::makeScene() const
{
    // A scene resource, when there is one, gives the size; otherwise the window's.
    std::shared_ptr<GameScene> scene = SKScene::nodeWithFileNamed<GameScene>("GameScene", bundle_);
    if (!scene) {
        scene = std::make_shared<GameScene>();
        scene->setSize(windowSize);
    }
    // Either way the scene takes the size of the view that shows it.
    scene->setScaleMode(SKSceneScaleMode::resizeFill);
    return scene;
}
