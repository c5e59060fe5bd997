#include "SKScene.hpp"

template <typename Visit>
bool SKScene::forEachBusy(const SKNode& node, Visit visit) const
{
    for (auto& child : node.children()) {
        if (child->isPaused()) continue;
        if ((child->hasActions() || child->simulates()) && visit(child)) return true;
        if (!child->children().empty() && forEachBusy(*child, visit)) return true;
    }
    return false;
}

bool SKScene::isIdle() const
{
    return !updates() && (isPaused() || (!hasActions() && !forEachBusy(*this, [](auto&) { return true; })));
}

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
        forEachBusy(*this, [this](const std::shared_ptr<SKNode>& node) {
            stepping_.push_back(node);
            return false;
        });
    }
    for (auto& node : stepping_) {
        node->stepActions(dt, context);
        if (node->inParentHierarchy(*this)) node->advanceSimulation(dt);
    }
    stepping_.clear();
}
