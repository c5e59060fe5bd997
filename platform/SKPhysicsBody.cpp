#include "SKPhysicsBody.hpp"

#include <atomic>

namespace {
std::uint64_t nextIdentifier()
{
    static std::atomic<std::uint64_t> counter{1};
    return counter++;
}
} // namespace

SKPhysicsBody::SKPhysicsBody(CGSize size) : size_(size), identifier_(nextIdentifier()) {}

std::shared_ptr<SKPhysicsBody> SKPhysicsBody::bodyWithRectangleOfSize(CGSize size)
{
    return std::make_shared<SKPhysicsBody>(size);
}
