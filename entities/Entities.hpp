#pragma once

#include "CGGeometry.hpp"
#include "SKBundle.hpp"
#include "SKEmitterNode.hpp"
#include "SKPhysicsBody.hpp"
#include "SKScene.hpp"
#include "SKShapeNode.hpp"

#include <cstdint>
#include <memory>

// Builders of everything that moves in the play field. Each hands back its node complete, with
// its looks, its physics body and the actions that move it; the caller adds it to the scene.

// The category bits every body in the game carries; contacts are told apart by them.
struct PhysicsCategory {
    static constexpr std::uint32_t player = 1;
    static constexpr std::uint32_t laser = 2;
    static constexpr std::uint32_t enemy = 4;
};

// The player's ship, half way across the field and 100 up: a hull pointing up, with a nose tip,
// a cockpit and three flames that flicker at rates of their own.
[[nodiscard]] std::shared_ptr<SKShapeNode> makePlayerShip(CGSize field);

// A laser shot over the nose of a ship at `ship`, flying straight up past the top of the field
// in a second, then gone.
[[nodiscard]] std::shared_ptr<SKShapeNode> makeLaser(CGPoint ship, CGSize field);

// An enemy ship just above the top of the field at a random x, falling below the bottom in four
// seconds, then gone.
[[nodiscard]] std::shared_ptr<SKShapeNode> makeEnemy(CGSize field);

// A star of random size and brightness anywhere in the scene's field, falling at its own pace
// and coming back at the top for ever. It holds the scene weakly.
[[nodiscard]] std::shared_ptr<SKShapeNode> makeStar(const std::shared_ptr<SKScene>& scene);
// A star's re-entry just above the top, at a new x; nothing once its scene is gone.
void resetStar(const std::weak_ptr<SKScene>& scene, SKNode& star);

// An explosion's particles at a point, from the emitter resource "Explosion", shown for half a
// second and faded out over the next; nothing when the resource is missing or unusable.
[[nodiscard]] std::shared_ptr<SKEmitterNode> makeExplosion(CGPoint at, const SKBundle& resources);
