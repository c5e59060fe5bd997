#include "SKScene.hpp"

namespace {
// The nodes with something to step, below no paused node.
void collectBusy(SKNode& node, std::vector<std::shared_ptr<SKNode>>& out)
{
    for (auto& child : node.children()) {
        if (child->isPaused()) continue;
        if (child->hasActions() || child->simulates()) out.push_back(child);
        if (!child->children().empty()) collectBusy(*child, out);
    }
}
} // namespace

SKScene::SKScene() = default;

SKScene::SKScene(CGSize size) : size_(size) {}

SKScene::SKScene(const SKCoder& coder) : size_(coder.size)
{
    if (coder.backgroundColor) backgroundColor_ = *coder.backgroundColor;
}

void SKScene::evaluateActions(double dt)
{
    // Step a snapshot, holding each node, so blocks may add, remove or free nodes on the way.
    // A node removed earlier in the pass has had its actions cancelled and does nothing; one
    // given its first action during the pass starts on the next.
    stepping_.clear();
    if (!isPaused()) {
        stepActions(dt);
        collectBusy(*this, stepping_);
    }
    for (auto& node : stepping_) {
        node->stepActions(dt);
        if (node->inParentHierarchy(*this)) node->advanceSimulation(dt);
    }
    stepping_.clear();
}
