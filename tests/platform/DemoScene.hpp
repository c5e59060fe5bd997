#pragma once

#include "SKScene.hpp"
#include "SKShapeNode.hpp"

// One frame of everything the scene graph draws: a concave polygon, a rounded rectangle,
// circles of several alphas, squares in depth order with alpha down the tree and a hidden one,
// a two-line centred label, faded hearts with Turkish capitals, and a particle emitter. Pinned
// by the render tests' golden pictures.
class DemoScene : public SKScene {
public:
    using SKScene::SKScene;
    void didMoveToView(SKView& view) override;
    // A square of one colour, no outline.
    static std::shared_ptr<SKShapeNode> square(CGPoint at, CGFloat side, SKColor fill, CGFloat z, CGFloat alpha = 1);
};
