#include "SKPhysicsWorld.hpp"

#include "ContactPass.hpp"
#include "SKNode.hpp"
#include "SKPhysicsBody.hpp"

namespace {

constexpr double pointsPerMetre = 150;

// Gravity changes the dynamic bodies' velocities (points per second), which move their nodes.
void integrate(SKNode& node, double dt, CGVector gravity)
{
    for (auto& child : node.children()) {
        if (const auto& body = child->physicsBody(); body && body->isDynamic()) {
            CGVector v = body->velocity();
            if (body->affectedByGravity() && (gravity.dx != 0 || gravity.dy != 0)) {
                v = {v.dx + gravity.dx * dt, v.dy + gravity.dy * dt};
                body->setVelocity(v);
            }
            if (v.dx != 0 || v.dy != 0) child->setPosition({child->position().x + v.dx * dt, child->position().y + v.dy * dt});
        }
        if (!child->children().empty()) integrate(*child, dt, gravity);
    }
}

} // namespace

SKPhysicsWorld::SKPhysicsWorld() : contacts_(std::make_unique<ContactPass>()) {}

SKPhysicsWorld::~SKPhysicsWorld() = default;

void SKPhysicsWorld::simulate(SKNode& root, double dt)
{
    // 1. bodies move
    if (dt > 0) integrate(root, dt, {gravity_.dx * pointsPerMetre, gravity_.dy * pointsPerMetre});
    // 2. the contacts that began are found
    const auto& begun = contacts_->find(root);
    // 3. and delivered, each checked again, since an earlier one may have removed its node
    if (begun.empty() || !contactDelegate_) return;

    // Hold every node of this frame's contacts, so none is freed while the delegate works.
    delivering_.clear();
    for (const auto& pair : begun) {
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
