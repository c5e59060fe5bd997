#include "SKPhysicsWorld.hpp"

#include "ContactPass.hpp"
#include "SKNode.hpp"
#include "SKPhysicsBody.hpp"

namespace {
constexpr double pointsPerMetre = 150;
} // namespace

SKPhysicsWorld::SKPhysicsWorld() : contacts_(std::make_unique<ContactPass>()) {}

SKPhysicsWorld::~SKPhysicsWorld() = default;

void SKPhysicsWorld::integrate(SKNode& node, double dt)
{
    for (auto& child : node.children()) {
        if (const auto& body = child->physicsBody(); body && body->isDynamic()) {
            CGVector v = body->velocity();
            if (body->affectedByGravity()) {
                v.dx += gravity_.dx * pointsPerMetre * dt;
                v.dy += gravity_.dy * pointsPerMetre * dt;
                body->setVelocity(v);
            }
            if (v.dx != 0 || v.dy != 0) {
                CGPoint p = child->position();
                child->setPosition({p.x + v.dx * dt, p.y + v.dy * dt});
            }
        }
        integrate(*child, dt);
    }
}

void SKPhysicsWorld::simulate(SKNode& root, double dt)
{
    if (dt > 0) integrate(root, dt);

    const auto& begun = contacts_->run(root);
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
