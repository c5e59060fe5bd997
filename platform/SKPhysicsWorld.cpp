#include "SKPhysicsWorld.hpp"

#include "ContactPass.hpp"
#include "SKNode.hpp"
#include "SKPhysicsBody.hpp"

SKPhysicsWorld::SKPhysicsWorld() : contacts_(std::make_unique<ContactPass>()) {}

SKPhysicsWorld::~SKPhysicsWorld() = default;

void SKPhysicsWorld::simulate(SKNode& root)
{
    const auto& begun = contacts_->find(root);
    // Each checked again on delivery, since an earlier one may have removed its node.
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
