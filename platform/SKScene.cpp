#include "SKScene.hpp"

void SKScene::collectBusy(SKNode& node)
{
    for (auto& child : node.children()) {
        if (child->isPaused()) continue;
        if (child->hasActions() || child->simulates()) stepping_.push_back(child);
        if (!child->children().empty()) collectBusy(*child);
    }
}

bool SKScene::hasBusyNode(const SKNode& node) const
{
    for (auto& child : node.children()) {
        if (child->isPaused()) continue;
        if (child->hasActions() || child->simulates() || hasBusyNode(*child)) return true;
    }
    return false;
}

bool SKScene::isIdle() const { return !updates() && (isPaused() || (!hasActions() && !hasBusyNode(*this))); }

SKScene::SKScene() = default;

SKScene::SKScene(CGSize size) : size_(size) {}

SKScene::SKScene(const SKCoder& coder) : size_(coder.size)
{
    if (coder.backgroundColor) backgroundColor_ = *coder.backgroundColor;
}

void SKScene::evaluateActions(double dt, const SKActionContext& context)
{
    // Step a snapshot, holding each node, so blocks may add, remove or free nodes on the way.
    // A node removed earlier in the pass has had its actions cancelled and does nothing; one
    // given its first action during the pass starts on the next.
    stepping_.clear();
    if (!isPaused()) {
        stepActions(dt, context);
        collectBusy(*this);
    }
    for (auto& node : stepping_) {
        node->stepActions(dt, context);
        if (node->inParentHierarchy(*this)) node->advanceSimulation(dt);
    }
    stepping_.clear();
}
