#pragma once

#include "CGGeometry.hpp"
#include "Prefetch.hpp"

#include <cstdint>
#include <memory>

class SKNode;

// An axis-aligned rectangle that reports contacts. Bodies never push each other; a dynamic body
// falls with its world's gravity and keeps the speed it gained.
class SKPhysicsBody {
public:
    // Centred on the node's origin.
    [[nodiscard]] static std::shared_ptr<SKPhysicsBody> bodyWithRectangleOfSize(CGSize size);

    explicit SKPhysicsBody(CGSize size);

    void setDynamic(bool dynamic) { dynamic_ = dynamic; }
    [[nodiscard]] bool isDynamic() const { return dynamic_; }
    void setCategoryBitMask(std::uint32_t mask) { categoryBitMask_ = mask; }
    [[nodiscard]] std::uint32_t categoryBitMask() const { return categoryBitMask_; }
    void setContactTestBitMask(std::uint32_t mask) { contactTestBitMask_ = mask; }
    [[nodiscard]] std::uint32_t contactTestBitMask() const { return contactTestBitMask_; }
    void setCollisionBitMask(std::uint32_t mask) { collisionBitMask_ = mask; }
    [[nodiscard]] std::uint32_t collisionBitMask() const { return collisionBitMask_; }

    [[nodiscard]] CGSize size() const { return size_; }
    // The node that carries the body; empty once that node is gone.
    [[nodiscard]] std::shared_ptr<SKNode> node() const { return node_.lock(); }
    // Unique for the life of the process; tells pairs apart from frame to frame.
    [[nodiscard]] std::uint64_t identifier() const { return identifier_; }
    // Asks early for what the contact pass reads of the body (size, identifier, masks).
    void prefetchForContacts() const { prefetchRange(this, &contactTestBitMask_ + 1); }

private:
    friend class SKNode;
    friend class SKPhysicsWorld;

    // What the contact pass reads of every body every frame, first.
    CGSize size_;
    std::uint64_t identifier_;
    std::uint32_t categoryBitMask_ = 0xFFFFFFFF;
    std::uint32_t contactTestBitMask_ = 0;
    std::uint32_t collisionBitMask_ = 0xFFFFFFFF;
    bool dynamic_ = true;
    CGVector velocity_; // points per second, gained from gravity
    std::weak_ptr<SKNode> node_;
};

// Two bodies that began to touch this frame. Either may be bodyA.
struct SKPhysicsContact {
    std::shared_ptr<SKPhysicsBody> bodyA;
    std::shared_ptr<SKPhysicsBody> bodyB;
};

class SKPhysicsContactDelegate {
public:
    virtual ~SKPhysicsContactDelegate() = default;
    virtual void didBeginContact(const SKPhysicsContact& contact) = 0;
};

// A contact is worth reporting when either body's test mask shares a bit with the other's
// category; the test runs both ways, so the order of the pair never matters.
[[nodiscard]] constexpr bool wantsContact(std::uint32_t categoryA, std::uint32_t testA, std::uint32_t categoryB,
                                          std::uint32_t testB)
{
    return (testA & categoryB) != 0 || (testB & categoryA) != 0;
}
