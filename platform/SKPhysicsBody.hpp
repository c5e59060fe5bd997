#pragma once

#include "CGGeometry.hpp"

#include <cstdint>
#include <memory>

class SKNode;

// An axis-aligned rectangle that reports contacts. Bodies never move by themselves or push each other.
class SKPhysicsBody {
public:
    // Centred on the node's origin.
    [[nodiscard]] static std::shared_ptr<SKPhysicsBody> bodyWithRectangleOfSize(CGSize size);

    explicit SKPhysicsBody(CGSize size);

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

private:
    friend class SKNode;

    CGSize size_;
    std::uint32_t categoryBitMask_ = 0xFFFFFFFF;
    std::uint32_t contactTestBitMask_ = 0;
    std::uint32_t collisionBitMask_ = 0xFFFFFFFF;
    std::weak_ptr<SKNode> node_;
    std::uint64_t identifier_;
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
