#pragma once

#include "CGGeometry.hpp"

#include <memory>
#include <vector>

class ContactPass;
class SKNode;
class SKPhysicsContactDelegate;

// Dynamic bodies fall with the gravity; bodies never push each other, they only report the
// contacts that begin.
class SKPhysicsWorld {
public:
    SKPhysicsWorld();
    ~SKPhysicsWorld();

    // Metres per second squared, at 150 points to the metre; straight down at 9.8 until set.
    void setGravity(CGVector gravity) { gravity_ = gravity; }
    [[nodiscard]] CGVector gravity() const { return gravity_; }

    // Not owned: the delegate is usually the scene that owns this world.
    void setContactDelegate(SKPhysicsContactDelegate* delegate) { contactDelegate_ = delegate; }
    [[nodiscard]] SKPhysicsContactDelegate* contactDelegate() const { return contactDelegate_; }

    // Moves the dynamic bodies below the root that no paused node holds by dt seconds of
    // gravity, then reports each contact that began. A contact whose node has left the root's
    // tree (removed by an earlier contact of this frame) is dropped.
    void simulate(SKNode& root, double dt);
    [[nodiscard]] const ContactPass& contacts() const { return *contacts_; }

private:
    static void fall(SKNode& node, double dt, CGVector gravity);

    CGVector gravity_{0, -9.8};
    bool hadGravity_ = false;
    SKPhysicsContactDelegate* contactDelegate_ = nullptr;
    std::unique_ptr<ContactPass> contacts_;
    std::vector<std::shared_ptr<SKNode>> delivering_;
};
