#include "SKEvent.hpp"

#include "SKNode.hpp"

#include <vector>

CGPoint SKEvent::locationInNode(const SKNode& node) const
{
    // Walk from the scene down to the node.
    CGPoint p = location_;
    std::vector<const SKNode*> chain;
    for (const SKNode* n = &node; n->parent(); n = n->parent()) chain.push_back(n);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) p = (*it)->fromParent(p);
    return p;
}
