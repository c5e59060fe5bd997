#pragma once

#include "SKScene.hpp"

// One frame of everything the scene graph draws: a concave polygon, a rounded rectangle,
// circles of several alphas, a two-line centred label, hearts with Turkish capitals, and a
// particle emitter. Written to a PNG by the render tests, for a person to look at.
class DemoScene : public SKScene {
public:
    using SKScene::SKScene;
    void didMoveToView(SKView& view) override;
};
