#include "ContactPass.hpp"

#include "SKNode.hpp"
#include "SKPhysicsBody.hpp"

#include <algorithm>

void ContactPass::gather(SKNode& node, CGPoint origin, CGFloat xScale, CGFloat yScale)
{
    for (auto& child : node.children()) {
        CGPoint p = child->position();
        CGPoint at{origin.x + p.x * xScale, origin.y + p.y * yScale};
        CGFloat sx = xScale * child->xScale(), sy = yScale * child->yScale();
        if (const auto& body = child->physicsBody()) {
            CGFloat hw = body->size().width * std::abs(sx) / 2, hh = body->size().height * std::abs(sy) / 2;
            proxies_.push_back({at.x - hw, at.x + hw, at.y - hh, at.y + hh, body->categoryBitMask(),
                                body->contactTestBitMask(), body->identifier(), child.get()});
        }
        if (!child->children().empty()) gather(*child, at, sx, sy);
    }
}

const std::vector<ContactPass::Pair>& ContactPass::run(SKNode& root)
{
    proxies_.clear();
    touching_.clear();
    begun_.clear();
    gather(root, {0, 0}, 1, 1);

    std::sort(proxies_.begin(), proxies_.end(), [](const Proxy& a, const Proxy& b) { return a.minX < b.minX; });

    // Touching edges do not overlap: every comparison is strict.
    active_.clear();
    for (std::size_t i = 0; i < proxies_.size(); ++i) {
        const Proxy& a = proxies_[i];
        std::size_t kept = 0;
        for (std::size_t j : active_) {
            const Proxy& b = proxies_[j];
            if (b.maxX <= a.minX) continue; // left behind for good
            active_[kept++] = j;
            if (a.minY < b.maxY && b.minY < a.maxY && wantsContact(a.category, a.test, b.category, b.test)) {
                if (a.id < b.id)
                    touching_.push_back({a.id, b.id, a.node, b.node});
                else
                    touching_.push_back({b.id, a.id, b.node, a.node});
            }
        }
        active_.resize(kept);
        active_.push_back(i);
    }

    std::sort(touching_.begin(), touching_.end());
    std::size_t p = 0;
    for (const Touch& t : touching_) {
        while (p < previous_.size() && previous_[p] < t) ++p;
        bool wasTouching = p < previous_.size() && !(t < previous_[p]);
        if (!wasTouching) begun_.push_back({t.nodeLow, t.nodeHigh});
    }
    std::swap(previous_, touching_);
    return begun_;
}
