#pragma once

#include "CGGeometry.hpp"

#include <memory>
#include <vector>

class ContactPass;
class SKNode;
class SKPhysicsContactDelegate;

// Bodies only report contacts here: nothing falls or moves by itself (the game's world has no
// gravity, and its nodes move by actions).
class SKPhysicsWorld {
public:
    SKPhysicsWorld();
    ~SKPhysicsWorld();

    // Not owned: the delegate is usually the scene that owns this world.
    void setContactDelegate(SKPhysicsContactDelegate* delegate) { contactDelegate_ = delegate; }
    [[nodiscard]] SKPhysicsContactDelegate* contactDelegate() const { return contactDelegate_; }

    // Reports each contact that began below the root. A contact whose node has left the root's
    // tree (removed by an earlier contact of this frame) is dropped.
    void simulate(SKNode& root);

private:
    SKPhysicsContactDelegate* contactDelegate_ = nullptr;
    std::unique_ptr<ContactPass> contacts_;
    std::vector<std::shared_ptr<SKNode>> delivering_;
};
