#include "SKView.hpp"

#include "Clock.hpp"
#include "SKAction.hpp"
#include "SKRenderer.hpp"
#include "SKScene.hpp"
#include "SKTransition.hpp"

#include <algorithm>

// The fade is a curtain node whose alpha the engine's own actions drive: up to opaque, swap the
// scenes, back down to clear.
struct SKView::Fade {
    std::shared_ptr<SKScene> incoming;
    std::shared_ptr<SKNode> curtain = SKNode::node();
    SKColor color;
    bool finished = false;
};

SKView::SKView(CGSize size, const Clock& clock, SoundPlayer& soundPlayer, SKBundle bundle)
    : size_(size), clock_(clock), soundPlayer_(soundPlayer), bundle_(std::move(bundle)),
      renderer_(std::make_unique<SKRenderer>())
{
}

SKView::~SKView()
{
    if (fade_ && fade_->incoming) detach(*fade_->incoming);
    if (scene_) detach(*scene_);
}

void SKView::attach(SKScene& scene)
{
    if (scene.scaleMode() == SKSceneScaleMode::resizeFill) scene.setSize(size_);
    scene.view_ = this;
    scene.bundle_ = &bundle_;
    scene.didMoveToView(*this);
}

void SKView::detach(SKScene& scene)
{
    scene.willMoveFromView(*this);
    scene.view_ = nullptr;
    scene.bundle_ = nullptr;
}

void SKView::presentScene(std::shared_ptr<SKScene> scene) { presentScene(std::move(scene), nullptr); }

void SKView::presentScene(std::shared_ptr<SKScene> scene, std::shared_ptr<SKTransition> transition)
{
    if (!scene) return;
    if (inTick_) {
        pendingScene_ = std::move(scene);
        pendingTransition_ = std::move(transition);
        return;
    }
    // Scenes are presented on a click, and clicks wait for a fade's end: one fade at a time.
    if (fade_) return;
    if (transition && transition->duration() > 0 && scene_)
        startFade(std::move(scene), *transition);
    else
        show(std::move(scene));
}

void SKView::show(std::shared_ptr<SKScene> scene)
{
    if (scene_) detach(*scene_);
    scene_ = std::move(scene);
    sceneHasTicked_ = false;
    attach(*scene_);
}

void SKView::startFade(std::shared_ptr<SKScene> scene, const SKTransition& transition)
{
    fade_ = std::make_unique<Fade>();
    fade_->incoming = std::move(scene);
    fade_->color = transition.color();
    fade_->curtain->setAlpha(0);
    attach(*fade_->incoming);

    Fade* fade = fade_.get();
    double half = transition.duration() / 2;
    fade_->curtain->runAction(SKAction::sequence({
        SKAction::fadeAlphaTo(1, half),
        SKAction::runBlock([this, fade] {
            if (scene_) detach(*scene_);
            scene_ = std::move(fade->incoming);
        }),
        SKAction::fadeAlphaTo(0, half),
        SKAction::runBlock([fade] { fade->finished = true; }),
    }));
}

void SKView::tick()
{
    double now = clock_.now();
    int steps = 1;
    double dt = 0; // of each step; none on a scene's first frame
    if (sceneHasTicked_) {
        double elapsed = std::max(0.0, now - lastTime_);
        // Waking from a stretch where nothing moved: one step, not the time slept.
        if (idleAtLastTick_) elapsed = std::min(elapsed, step_);
        behind_ += elapsed;
        // To the nearest whole step, so a frame a little early or late is still one.
        steps = int(std::clamp(std::floor(behind_ / step_ + 0.5), 1.0, double(maxCatchUpSteps)));
        behind_ = steps == maxCatchUpSteps ? 0 : std::max(behind_ - steps * step_, -step_ / 2);
        dt = step_;
    } else {
        behind_ = 0;
    }
    lastTime_ = now;
    inTick_ = true;

    if (fade_) {
        // Both scenes stand still while the curtain moves.
        fade_->curtain->stepActions(steps * dt, {&soundPlayer_});
        if (fade_->finished) {
            fade_.reset();
            sceneHasTicked_ = false; // the new scene's first frame has no step
        }
    } else if (scene_) {
        std::shared_ptr<SKScene> scene = scene_; // stays alive through its own frame
        sceneHasTicked_ = true;
        for (int i = 0; i < steps; ++i) {
            // 1. the scene's own per-frame logic, at the time its step stands for
            scene->update(now - (steps - 1 - i) * step_);
            // 2. actions and particles, on every node no paused node holds
            scene->evaluateActions(dt, {&soundPlayer_});
            // 3. gravity, then the contacts that began this step
            scene->simulatePhysics(dt);
        }
    }

    inTick_ = false;
    idleAtLastTick_ = isIdle();
    // 4. a scene presented during the frame comes in before the frame is drawn
    if (pendingScene_) {
        auto scene = std::move(pendingScene_);
        auto transition = std::move(pendingTransition_);
        presentScene(std::move(scene), std::move(transition));
    }
}

const std::vector<PixelRect>* SKView::render(cairo_t* cr, double pixelScale, bool surfaceKeepsLastFrame,
                                             CGPoint at, KeptFrames kept) const
{
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_translate(cr, at.x, at.y);
    cairo_scale(cr, pixelScale, pixelScale);
    // Black around a scene that does not cover the view; a covering scene paints every pixel.
    bool covered = scene_ && scene_->size().width >= size_.width && scene_->size().height >= size_.height &&
                   scene_->backgroundColor().alpha >= 1;
    if (!covered) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_rectangle(cr, 0, 0, size_.width, size_.height);
        cairo_fill(cr);
    }
    // Only a covering scene with nothing over it can be drawn in parts.
    bool inParts = surfaceKeepsLastFrame && covered && !fade_;
    // View points are y up: flip once here.
    cairo_translate(cr, 0, size_.height);
    cairo_scale(cr, 1, -1);

    if (scene_) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, 0, size_.width, size_.height);
        cairo_clip(cr);
        renderer_->drawScene(*scene_, cr, inParts, kept.surface, kept.stale);
        cairo_restore(cr);
    }
    if (fade_) {
        SKColor c = fade_->color;
        cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha * fade_->curtain->alpha());
        cairo_rectangle(cr, 0, 0, size_.width, size_.height);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    if (!inParts) return nullptr;
    return &renderer_->damage();
}

void SKView::keyDown(std::uint16_t keyCode)
{
    if (acceptsInput()) scene_->keyDown(SKEvent::key(keyCode));
}

void SKView::keyUp(std::uint16_t keyCode)
{
    if (acceptsInput()) scene_->keyUp(SKEvent::key(keyCode));
}

void SKView::windowDidResignKey()
{
    if (acceptsInput()) scene_->windowDidResignKey();
}

void SKView::mouseDown(CGPoint locationInView)
{
    if (acceptsInput()) scene_->mouseDown(SKEvent::mouse(locationInView));
}

void SKView::mouseDownOn(const SKNode& node)
{
    if (!acceptsInput() || !node.parent() || node.scene() != scene_.get()) return;
    CGRect frame = node.calculateAccumulatedFrame();
    scene_->mouseDown(SKEvent::mouse(node.parent()->convertPointToScene({frame.midX(), frame.midY()})));
}

bool SKView::isIdle() const { return !fade_ && (!scene_ || scene_->isIdle()); }

SKView::RenderStats SKView::renderStats() const
{
    return {renderer_->sprites().count(), renderer_->sprites().bytes()};
}
