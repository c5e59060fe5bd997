#pragma once

#include "CGGeometry.hpp"

#include <cstdint>
#include <utility>
#include <vector>

class SKNode;
class SKPhysicsBody;

// Finds the pairs of bodies below a root that overlap now and did not last time, and whose
// masks ask for a contact. Sort and sweep along x keeps thousands of bodies cheap; the buffers
// are kept from frame to frame, so a steady frame allocates nothing.
class ContactPass {
public:
    struct Pair {
        SKNode* nodeA;
        SKNode* nodeB;
    };

    // The new pairs, older body (lower identifier) first, in a fixed order.
    const std::vector<Pair>& run(SKNode& root);

private:
    struct Proxy {
        CGFloat minX, maxX, minY, maxY;
        std::uint32_t category, test;
        std::uint64_t id;
        SKNode* node;
    };
    struct Touch {
        std::uint64_t low, high;
        SKNode* nodeLow;
        SKNode* nodeHigh;
        friend bool operator<(const Touch& a, const Touch& b)
        {
            return a.low != b.low ? a.low < b.low : a.high < b.high;
        }
    };

    void gather(SKNode& node, CGPoint origin, CGFloat xScale, CGFloat yScale);

    std::vector<Proxy> proxies_;
    std::vector<std::size_t> active_;
    std::vector<Touch> touching_;
    std::vector<Touch> previous_;
    std::vector<Pair> begun_;
};
