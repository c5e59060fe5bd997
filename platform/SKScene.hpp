#pragma once

#include "SKAction.hpp"
#include "SKBundle.hpp"
#include "SKCoder.hpp"
#include "SKColor.hpp"
#include "SKEvent.hpp"
#include "SKNode.hpp"
#include "SKPhysicsWorld.hpp"

#include <vector>

class SKView;

// Resize-fill gives the scene the view's size; a scene left as it is shows at its own size from
// the view's bottom-left corner, in the view's points (every scene of the game resizes).
enum class SKSceneScaleMode { asIs = 0, resizeFill = 3 };

// The root of a tree that a view presents. Subclasses override the callbacks.
class SKScene : public SKNode {
public:
    SKScene();
    explicit SKScene(CGSize size);
    // A scene as its resource describes it.
    explicit SKScene(const SKCoder& coder);

    // A scene of class T (constructible from an SKCoder) from the resource "<name>.scene.json";
    // nothing when there is no such resource or it cannot be used.
    template <class T>
    [[nodiscard]] static std::shared_ptr<T> nodeWithFileNamed(std::string_view name,
                                                              const SKBundle& bundle = SKBundle::main())
    {
        auto coder = SKCoder::sceneNamed(name, bundle);
        return coder ? std::make_shared<T>(*coder) : nullptr;
    }

    void setSize(CGSize size) { size_ = size; }
    [[nodiscard]] CGSize size() const { return size_; }
    void setScaleMode(SKSceneScaleMode mode) { scaleMode_ = mode; }
    [[nodiscard]] SKSceneScaleMode scaleMode() const { return scaleMode_; }
    void setBackgroundColor(SKColor color) { backgroundColor_ = color; }
    [[nodiscard]] SKColor backgroundColor() const { return backgroundColor_; }
    [[nodiscard]] SKPhysicsWorld& physicsWorld() { return physicsWorld_; }
    // The view presenting this scene, if any. Not owned.
    [[nodiscard]] SKView* view() const { return view_; }
    // Where the scene loads its resources from: its view's, or the process's own outside a view.
    [[nodiscard]] const SKBundle& bundle() const { return bundle_ ? *bundle_ : SKBundle::main(); }

    // Callbacks, all on the main thread.
    virtual void didMoveToView(SKView& /*view*/) {}
    virtual void willMoveFromView(SKView& /*view*/) {}
    // Seconds of the view's monotonic clock.
    virtual void update(double /*currentTime*/) {}
    virtual void keyDown(const SKEvent& /*event*/) {}
    virtual void keyUp(const SKEvent& /*event*/) {}
    virtual void mouseDown(const SKEvent& /*event*/) {}
    // The window lost the keyboard: keys held now will not be seen coming up.
    virtual void windowDidResignKey() {}

    // Whether update() has anything to do now. A scene whose update stands still while play is
    // halted says so, so that a view with nothing else to run may sleep.
    [[nodiscard]] virtual bool updates() const { return true; }
    // A frame would change nothing: update has nothing to do and no node below a paused one
    // has actions or particles to step.
    [[nodiscard]] bool isIdle() const;

    // Frame phases, run by the view.
    // Steps the actions (and particles) of every node below the scene that no paused node holds.
    void evaluateActions(double dt, const SKActionContext& context);
    // Moves the dynamic bodies by dt seconds of gravity and reports the contacts that began.
    void simulatePhysics(double dt) { physicsWorld_.simulate(*this, dt); }

protected:
    SKScene* asScene() override { return this; }

private:
    friend class SKView;

    // Calls visit(node) for each node below with actions or particles to step and no paused node
    // above it, in tree order, until visit returns true; true then.
    template <typename Visit> bool forEachBusy(Visit visit) const;
    enum class Found { idle, busy, stopped };
    // The same for a node and what is below it; passes over what may not be busy, and marks as
    // idle what it finds so.
    template <typename Visit> Found findBusy(const std::shared_ptr<SKNode>& node, Visit& visit) const;
    // What is below a node (busy when the node itself is), noted in its flag.
    template <typename Visit> Found findBusyBelow(const SKNode& node, bool busy, Visit& visit) const;

    CGSize size_{1, 1};
    SKSceneScaleMode scaleMode_ = SKSceneScaleMode::asIs;
    SKColor backgroundColor_ = SKColor::colorWithRed(0.15, 0.15, 0.15, 1);
    SKPhysicsWorld physicsWorld_;
    SKView* view_ = nullptr;
    const SKBundle* bundle_ = nullptr; // the view's
    std::vector<std::shared_ptr<SKNode>> stepping_; // reused by every action pass
};
