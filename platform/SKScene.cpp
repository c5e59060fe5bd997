#include "SKScene.hpp"

template <typename Visit>
SKScene::Found SKScene::findBusy(const std::shared_ptr<SKNode>& node, Visit& visit) const
{
    if (!node->mayBeBusy_) return Found::idle;
    if (node->isPaused()) return Found::busy; // kept as it is, for when it resumes
    bool busy = node->hasActions() || node->simulates();
    if (busy && visit(node)) return Found::stopped;
    return findBusyBelow(*node, busy, visit);
}

template <typename Visit>
SKScene::Found SKScene::findBusyBelow(const SKNode& node, bool busy, Visit& visit) const
{
    for (auto& child : node.children()) {
        Found below = findBusy(child, visit);
        if (below == Found::stopped) return Found::stopped;
        busy |= below == Found::busy;
    }
    node.mayBeBusy_ = busy;
    return busy ? Found::busy : Found::idle;
}

template <typename Visit>
bool SKScene::forEachBusy(Visit visit) const
{
    // A scene with nothing to step (a crowd moved by its own update) reads none of its nodes.
    return mayBeBusy_ && findBusyBelow(*this, false, visit) == Found::stopped;
}

bool SKScene::isIdle() const
{
    return !updates() && (isPaused() || (!hasActions() && !forEachBusy([](auto&) { return true; })));
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
        forEachBusy([this](const std::shared_ptr<SKNode>& node) {
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
