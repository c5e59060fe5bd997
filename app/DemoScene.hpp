#pragma once

#include "SKScene.hpp"

// One frame of everything the scene graph draws: a concave polygon, a rounded rectangle,
// circles of several alphas, a two-line centred label, hearts with Turkish capitals, and a
// particle emitter. Used to look at the renderer, and shown by the host until the game exists.
class DemoScene : public SKScene {
public:
    using SKScene::SKScene;
    void didMoveToView(SKView& view) override;
};
