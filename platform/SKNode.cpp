#include "SKNode.hpp"

#include "Diagnostics.hpp"
#include "SKAction.hpp"
#include "SKPhysicsBody.hpp"

#include <algorithm>

SKNode::SKNode() = default;

SKNode::~SKNode()
{
    for (auto& child : children_) child->parent_ = nullptr;
    if (physicsBody_) physicsBody_->node_.reset();
}

void SKNode::addChild(std::shared_ptr<SKNode> child)
{
    if (!child) return;
    for (const SKNode* n = this; n; n = n->parent_) {
        if (n == child.get()) {
            Diagnostics::tellOnce("node below itself", "a node cannot be added below itself; ignored");
            return;
        }
    }
    if (child->parent_ == this) return;
    if (child->parent_) {
        auto& siblings = child->parent_->children_;
        siblings.erase(std::find(siblings.begin(), siblings.end(), child));
    }
    child->parent_ = this;
    if (child->mayBeBusy_) markMayBeBusy();
    children_.push_back(std::move(child));
}

void SKNode::markMayBeBusy()
{
    for (SKNode* n = this; n && !n->mayBeBusy_; n = n->parent_) n->mayBeBusy_ = true;
}

void SKNode::removeFromParent()
{
    if (!parent_) return;
    // Keep this node alive until it is done with itself, even if the parent held the last reference.
    auto self = shared_from_this();
    auto& siblings = parent_->children_;
    siblings.erase(std::find(siblings.begin(), siblings.end(), self));
    parent_ = nullptr;
    cancelActionsBelow();
}

void SKNode::removeAllChildren()
{
    auto children = std::move(children_);
    children_.clear();
    for (auto& child : children) {
        child->parent_ = nullptr;
        child->cancelActionsBelow();
    }
}

void SKNode::cancelActionsBelow()
{
    removeAllActions();
    for (auto& child : children_) child->cancelActionsBelow();
}

SKScene* SKNode::scene() const
{
    const SKNode* root = this;
    while (root->parent_) root = root->parent_;
    return const_cast<SKNode*>(root)->asScene();
}

bool SKNode::inParentHierarchy(const SKNode& ancestor) const
{
    for (const SKNode* n = this; n; n = n->parent_)
        if (n == &ancestor) return true;
    return false;
}

namespace {
bool nameMatches(std::string_view pattern, const std::string& name)
{
    return pattern == "*" || pattern == name;
}

void collectDescendants(SKNode& node, std::vector<std::shared_ptr<SKNode>>& out)
{
    for (auto& child : node.children()) {
        out.push_back(child);
        collectDescendants(*child, out);
    }
}
} // namespace

std::shared_ptr<SKNode> SKNode::childNodeWithName(std::string_view name) const
{
    for (auto& child : children_)
        if (nameMatches(name, child->name_)) return child;
    return nullptr;
}

void SKNode::enumerateChildNodesWithName(std::string_view pattern,
                                         const std::function<void(SKNode&, bool&)>& block)
{
    // Walk a snapshot, so the block may add or remove nodes without upsetting the walk.
    std::vector<std::shared_ptr<SKNode>> nodes;
    bool deep = pattern.starts_with("//");
    if (deep) {
        pattern.remove_prefix(2);
        collectDescendants(*this, nodes);
    } else {
        nodes = children_;
    }
    bool stop = false;
    for (auto& node : nodes) {
        if (!nameMatches(pattern, node->name_)) continue;
        block(*node, stop);
        if (stop) break;
    }
}

CGRect SKNode::toParent(const CGRect& local) const
{
    if (local.isEmpty()) return {};
    CGFloat x0 = position_.x + local.minX() * xScale_, x1 = position_.x + local.maxX() * xScale_;
    CGFloat y0 = position_.y + local.minY() * yScale_, y1 = position_.y + local.maxY() * yScale_;
    return {{std::min(x0, x1), std::min(y0, y1)}, {std::abs(x1 - x0), std::abs(y1 - y0)}};
}

CGPoint SKNode::fromParent(CGPoint p) const
{
    return {xScale_ != 0 ? (p.x - position_.x) / xScale_ : 0, yScale_ != 0 ? (p.y - position_.y) / yScale_ : 0};
}

CGRect SKNode::frame() const { return toParent(contentBounds()); }

CGRect SKNode::accumulatedBounds() const
{
    CGRect bounds = contentBounds();
    for (auto& child : children_)
        if (!child->isHidden()) bounds = bounds.unionWith(child->toParent(child->accumulatedBounds()));
    return bounds;
}

struct SKNode::Hit {
    std::shared_ptr<SKNode> node;
    CGFloat depth;
    std::size_t order;
};

CGRect SKNode::collectHits(CGPoint point, CGFloat depth, std::vector<Hit>& hits, std::size_t& order) const
{
    CGRect bounds = contentBounds();
    for (auto& child : children_) {
        if (child->isHidden()) continue;
        CGFloat childDepth = depth + child->zPosition();
        std::size_t childOrder = order++;
        CGRect childBounds = child->toParent(child->collectHits(child->fromParent(point), childDepth, hits, order));
        if (childBounds.contains(point)) hits.push_back({child, childDepth, childOrder});
        bounds = bounds.unionWith(childBounds);
    }
    return bounds;
}

CGRect SKNode::calculateAccumulatedFrame() const { return toParent(accumulatedBounds()); }

std::vector<std::shared_ptr<SKNode>> SKNode::nodesAtPoint(CGPoint point) const
{
    std::vector<Hit> hits;
    std::size_t order = 0;
    collectHits(point, 0, hits, order);
    // Front-most first: deeper z first, then later in drawing order (a child over its parent).
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        return a.depth != b.depth ? a.depth > b.depth : a.order > b.order;
    });
    std::vector<std::shared_ptr<SKNode>> nodes;
    nodes.reserve(hits.size());
    for (auto& hit : hits) nodes.push_back(std::move(hit.node));
    return nodes;
}

CGPoint SKNode::convertPointToScene(CGPoint p) const
{
    for (const SKNode* n = this; n->parent_; n = n->parent_)
        p = {n->position_.x + p.x * n->xScale_, n->position_.y + p.y * n->yScale_};
    return p;
}

void SKNode::runAction(std::shared_ptr<SKAction> action)
{
    if (!action) return;
    auto run = action->makeRun();
    actions_.push_back({std::move(action), std::move(run)});
    markMayBeBusy();
}

void SKNode::removeAllActions()
{
    ++actionGeneration_;
    if (steppingActions_) {
        // A run of this node is on the call stack: mark, and let stepActions drop them.
        cancelledActions_ = actions_.size();
        return;
    }
    actions_.clear();
}

bool SKNode::hasActions() const { return actions_.size() > cancelledActions_; }

void SKNode::stepActions(double dt, const SKActionContext& context)
{
    if (actions_.empty()) return;
    steppingActions_ = true;
    cancelledActions_ = 0;
    // Runs added while stepping wait for the next pass.
    std::size_t count = actions_.size();
    for (std::size_t i = 0; i < count && cancelledActions_ == 0; ++i) {
        SKActionRun* run = actions_[i].run.get();
        if (run->step(*this, dt, context) && cancelledActions_ == 0) actions_[i].run.reset();
    }
    steppingActions_ = false;
    std::size_t cancelled = cancelledActions_;
    cancelledActions_ = 0;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < actions_.size(); ++i)
        if (i >= cancelled && actions_[i].run) actions_[kept++] = std::move(actions_[i]);
    actions_.resize(kept);
}

void SKNode::setPhysicsBody(std::shared_ptr<SKPhysicsBody> body)
{
    if (physicsBody_) physicsBody_->node_.reset();
    physicsBody_ = std::move(body);
    if (physicsBody_) physicsBody_->node_ = weak_from_this();
}
