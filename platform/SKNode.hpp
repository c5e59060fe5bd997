#pragma once

#include "CGGeometry.hpp"
#include "Prefetch.hpp"
#include "SKAction.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SKLook;
class SKPhysicsBody;
class SKScene;
struct SKActionContext;
struct SKRenderContext;

// A node of the scene graph. Nodes live in std::shared_ptr; a parent owns its children and a
// child's link to its parent is non-owning (cleared when the parent goes). A node removed from
// its parent stays valid for whoever still holds it.
class SKNode : public std::enable_shared_from_this<SKNode> {
public:
    SKNode();
    virtual ~SKNode();
    SKNode(const SKNode&) = delete;
    SKNode& operator=(const SKNode&) = delete;

    [[nodiscard]] static std::shared_ptr<SKNode> node() { return std::make_shared<SKNode>(); }

    // Tree. A child that already has a parent moves to this one; a node cannot hold its ancestor.
    void addChild(std::shared_ptr<SKNode> child);
    // Ends the actions of this node and of everything below it.
    void removeFromParent();
    void removeAllChildren();
    [[nodiscard]] const std::vector<std::shared_ptr<SKNode>>& children() const { return children_; }
    [[nodiscard]] SKNode* parent() const { return parent_; }
    // The scene at the root of this node's tree, if the root is one.
    [[nodiscard]] SKScene* scene() const;
    [[nodiscard]] bool inParentHierarchy(const SKNode& ancestor) const;

    // Lookup. Names are matched whole; "*" matches any name. A pattern starting with "//"
    // searches every depth below this node (depth first, in child order), otherwise only the
    // direct children. The block may change the tree; setting stop ends the walk.
    [[nodiscard]] std::shared_ptr<SKNode> childNodeWithName(std::string_view name) const;
    void enumerateChildNodesWithName(std::string_view pattern,
                                     const std::function<void(SKNode& node, bool& stop)>& block);
    // Every visible node below this one whose accumulated frame holds the point (given in this
    // node's coordinates), front-most first.
    [[nodiscard]] std::vector<std::shared_ptr<SKNode>> nodesAtPoint(CGPoint point) const;

    void setPosition(CGPoint position) { position_ = position; }
    [[nodiscard]] CGPoint position() const { return position_; }
    // Relative to the parent; larger is in front.
    void setZPosition(CGFloat z) { zPosition_ = z; }
    [[nodiscard]] CGFloat zPosition() const { return zPosition_; }
    void setName(std::string name) { name_ = std::move(name); }
    [[nodiscard]] const std::string& name() const { return name_; }
    // A paused node and everything below it runs no actions.
    void setPaused(bool paused) { paused_ = paused; }
    [[nodiscard]] bool isPaused() const { return paused_; }
    // A hidden node and everything below it is neither drawn nor hit.
    void setHidden(bool hidden) { hidden_ = hidden; }
    [[nodiscard]] bool isHidden() const { return hidden_; }
    // Multiplies down the tree.
    void setAlpha(CGFloat alpha) { alpha_ = alpha; }
    [[nodiscard]] CGFloat alpha() const { return alpha_; }
    void setXScale(CGFloat scale) { xScale_ = scale; }
    void setYScale(CGFloat scale) { yScale_ = scale; }
    void setScale(CGFloat scale) { xScale_ = yScale_ = scale; }
    [[nodiscard]] CGFloat xScale() const { return xScale_; }
    [[nodiscard]] CGFloat yScale() const { return yScale_; }

    // The node's own content (not its children) in its parent's coordinates; empty for a plain node.
    [[nodiscard]] CGRect frame() const;
    // The frame joined with every visible descendant's, in the parent's coordinates.
    [[nodiscard]] CGRect calculateAccumulatedFrame() const;
    // A point from this node's coordinates to the scene's (or the root's).
    [[nodiscard]] CGPoint convertPointToScene(CGPoint point) const;

    // Actions start on the node's next action pass and advance by that frame's full step.
    void runAction(std::shared_ptr<SKAction> action);
    void removeAllActions();
    [[nodiscard]] bool hasActions() const;
    // Changes whenever this node's running actions are cancelled; a run that sees it change
    // while it steps stops at once.
    [[nodiscard]] std::uint64_t actionGeneration() const { return actionGeneration_; }

    void setPhysicsBody(std::shared_ptr<SKPhysicsBody> body);
    [[nodiscard]] const std::shared_ptr<SKPhysicsBody>& physicsBody() const { return physicsBody_; }

    // Asks early for what a frame's passes read of this node: a walk over the tree (children,
    // place, scale, flags, parent, body), or placing its sprite (its look, where it last went).
    void prefetchForWalk() const { prefetchRange(this, &physicsBody_ + 1); }
    void prefetchForPlacing() const { prefetchRange(this, &placed_ + 1); }

protected:
    // Engine hooks: the action pass and the renderer call them, the game never does.
    friend class SKEvent;
    friend class SKRenderer;
    friend class SKScene;
    friend class SKView;

    // Steps this node's own actions; the frame hands down what they may need.
    void stepActions(double dt, const SKActionContext& context);
    // Time-driven state besides actions (particles); runs when the node's actions do, for the
    // nodes that say they simulate.
    virtual void advanceSimulation(double /*dt*/) {}
    [[nodiscard]] virtual bool simulates() const { return false; }
    // Draws the node's own look in its own coordinates; transform and alpha are already set up.
    virtual void drawContent(SKRenderContext& /*context*/) const {}
    // The node's look, frozen, when the renderer may draw it once and copy the pixels after;
    // nothing for a node that draws itself afresh every frame (or draws nothing).
    [[nodiscard]] const std::shared_ptr<const SKLook>* look() const { return look_ ? &look_ : makeLook(); }
    // Makes look_ when there is a look to make: the first time the renderer asks, and after
    // anything that changes the look has let go of it.
    [[nodiscard]] virtual const std::shared_ptr<const SKLook>* makeLook() const { return nullptr; }
    // The look's bounds in the node's own coordinates, before position and scale.
    [[nodiscard]] virtual CGRect contentBounds() const { return {}; }
    // Every pixel drawContent may touch, in the node's own coordinates.
    [[nodiscard]] virtual CGRect drawBounds() const { return contentBounds(); }
    // Maps a rect in this node's coordinates to its parent's.
    [[nodiscard]] CGRect toParent(const CGRect& local) const;
    // Maps a point in the parent's coordinates to this node's.
    [[nodiscard]] CGPoint fromParent(CGPoint point) const;

    [[nodiscard]] virtual SKScene* asScene() { return nullptr; }

private:
    struct Hit;
    // The bounds of this node's content and its visible descendants', in its own coordinates.
    [[nodiscard]] CGRect accumulatedBounds() const;
    // The same, collecting on the way the nodes below whose bounds hold the point.
    CGRect collectHits(CGPoint point, CGFloat depth, std::vector<Hit>& hits, std::size_t& order) const;
    void cancelActionsBelow();
    // Sets mayBeBusy_ here and above.
    void markMayBeBusy();

    // What every frame reads of a node (its place on the screen, its parent and body for the
    // contacts, its actions, where it was drawn) comes first and together, in about the order
    // the passes read it, so a frame over thousands of nodes reads few cache lines of each.
    std::vector<std::shared_ptr<SKNode>> children_;
    CGPoint position_;
    CGFloat xScale_ = 1;
    CGFloat yScale_ = 1;
    CGFloat alpha_ = 1;
    CGFloat zPosition_ = 0;
    bool paused_ = false;
    bool hidden_ = false;
    bool steppingActions_ = false;
    // This node or one below may have actions or particles to step: set when one is given an
    // action or a child, cleared by the scene's walk where it finds none; a node that is set has
    // every node above it set too.
    mutable bool mayBeBusy_ = true;
    SKNode* parent_ = nullptr;
    std::shared_ptr<SKPhysicsBody> physicsBody_;

    struct RunningAction {
        std::shared_ptr<SKAction> action; // the run refers into it
        std::unique_ptr<SKActionRun> run;
    };
    std::vector<RunningAction> actions_;
    std::size_t cancelledActions_ = 0; // runs before this index were cancelled during a step

protected:
    mutable std::shared_ptr<const SKLook> look_; // see look()

private:
    // Where a renderer last placed this node's sprite: the origin on the surface, as given and
    // as placed. The renderer's own memo; the node's values never change for it.
    struct Placed {
        const void* by = nullptr;
        double x = 0, y = 0;
        double placedX = 0, placedY = 0;
    };
    mutable Placed placed_;

    std::string name_;
    std::uint64_t actionGeneration_ = 0;
};
