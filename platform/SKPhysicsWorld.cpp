#include "SKPhysicsWorld.hpp"

#include "ContactPass.hpp"
#include "SKNode.hpp"
#include "SKPhysicsBody.hpp"

namespace {
constexpr double pointsPerMetre = 150;
} // namespace

// Gravity changes each dynamic body's speed, and the speed its node's place (in its parent's
// points).
void SKPhysicsWorld::fall(SKNode& node, double dt, CGVector gravity)
{
    for (auto& child : node.children()) {
        if (child->isPaused()) continue;
        if (auto* body = child->physicsBody().get(); body && body->isDynamic()) {
            CGVector& v = body->velocity_;
            v = {v.dx + gravity.dx * dt, v.dy + gravity.dy * dt};
            if (v != CGVector{}) child->setPosition({child->position().x + v.dx * dt, child->position().y + v.dy * dt});
        }
        if (!child->children().empty()) fall(*child, dt, gravity);
    }
}

SKPhysicsWorld::SKPhysicsWorld() : contacts_(std::make_unique<ContactPass>()) {}

SKPhysicsWorld::~SKPhysicsWorld() = default;

void SKPhysicsWorld::simulate(SKNode& root, double dt)
{
    // A world that never had gravity has given no body speed, so it leaves every place as it is.
    hadGravity_ |= gravity_ != CGVector{};
    if (dt > 0 && hadGravity_) fall(root, dt, {gravity_.dx * pointsPerMetre, gravity_.dy * pointsPerMetre});

    const auto& begun = contacts_->find(root);
    // Each checked again on delivery, since an earlier one may have removed its node.
    if (begun.empty() || !contactDelegate_) return;

    // Hold every node of this frame's contacts, so none is freed while the delegate works.
    delivering_.clear();
    for (std::size_t i = 0; i < begun.size(); ++i) {
        // Each hold waits for its node's memory before the next may start: ask for them early.
        if (i + 8 < begun.size()) begun[i + 8].nodeA->prefetchForWalk(), begun[i + 8].nodeB->prefetchForWalk();
        const auto& pair = begun[i];
        delivering_.push_back(pair.nodeA->shared_from_this());
        delivering_.push_back(pair.nodeB->shared_from_this());
    }
    for (std::size_t i = 0; i < delivering_.size(); i += 2) {
        SKNode& a = *delivering_[i];
        SKNode& b = *delivering_[i + 1];
        if (!a.inParentHierarchy(root) || !b.inParentHierarchy(root)) continue;
        if (!a.physicsBody() || !b.physicsBody()) continue;
        contactDelegate_->didBeginContact({a.physicsBody(), b.physicsBody()});
    }
    delivering_.clear();
}
