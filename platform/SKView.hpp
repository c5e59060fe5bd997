#pragma once

#include "CGGeometry.hpp"
#include "SKBundle.hpp"

#include <cairo.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Clock;
class SKNode;
class SKRenderer;
class SKScene;
class SKTransition;
class SoundPlayer;

// Presents one scene at a time and runs its frames. The clock, the sound player, the resources
// and the drawing surface come from outside, so a test drives a view with a manual clock, a
// recording sound player, resources of its own and an image surface.
class SKView {
public:
    // A frame that came late runs the steps it missed, one after another, so every speed holds
    // per second of play; after a stall (a window drag, a suspend) at most this many (0.1 s at 60
    // steps a second), so nothing jumps.
    static constexpr int maxCatchUpSteps = 6;

    SKView(CGSize size, const Clock& clock, SoundPlayer& soundPlayer, SKBundle bundle = SKBundle::main());
    ~SKView();
    SKView(const SKView&) = delete;
    SKView& operator=(const SKView&) = delete;

    // Shows the scene (calling its didMoveToView) at once, or at the end of the frame when asked
    // during one. A resize-fill scene takes the view's size first.
    void presentScene(std::shared_ptr<SKScene> scene);
    // The scene's didMoveToView runs when the transition starts; both scenes stand still and get
    // no input until it ends. A scene presented during a transition is not shown.
    void presentScene(std::shared_ptr<SKScene> scene, std::shared_ptr<SKTransition> transition);
    [[nodiscard]] const std::shared_ptr<SKScene>& scene() const { return scene_; }
    [[nodiscard]] bool isTransitioning() const { return fade_ != nullptr; }
    // The next frame would change nothing (a paused game, no fade): the host may sleep until
    // input comes. The frame after such a stretch steps by one frame, not by the time slept.
    [[nodiscard]] bool isIdle() const;

    [[nodiscard]] CGSize size() const { return size_; }
    [[nodiscard]] SoundPlayer& soundPlayer() const { return soundPlayer_; }
    // Where the presented scenes load their resources from.
    [[nodiscard]] const SKBundle& bundle() const { return bundle_; }

    // Game time advances in fixed steps of 1/preferredFramesPerSecond (60 unless set).
    void setPreferredFramesPerSecond(int framesPerSecond) { step_ = 1.0 / std::max(1, framesPerSecond); }
    // One frame: the steps due since the last (at least one), each update, actions, physics and
    // contacts; a scene presented meanwhile comes in at the end.
    void tick();
    // Draws the presented frame with the view's top-left corner at `origin` (surface pixels) and
    // pixelScale pixels per point; nothing outside the view's rectangle is touched. A surface that
    // still holds the last frame drawn into it (a window's own pixels) gets only what changed:
    // the pixels that did are returned; nothing returned means the whole view.
    // Buffers that take turns keeping the frames (a compositor reads one while another is drawn)
    // are one surface when they name the same `surface`; `stale` are the rects of this buffer
    // from frames before the last one drawn (the frames it missed), drawn again too.
    struct KeptFrames {
        const void* surface;
        const std::vector<PixelRect>* stale;
    };
    const std::vector<PixelRect>* render(cairo_t* cr, double pixelScale, bool surfaceKeepsLastFrame = false,
                                         CGPoint at = {}, KeptFrames kept = {}) const;

    // Input, delivered to the presented scene unless a transition runs.
    void keyDown(std::uint16_t keyCode);
    void keyUp(std::uint16_t keyCode);
    // In view points, origin bottom-left, y up.
    void mouseDown(CGPoint locationInView);
    // A press at the middle of what a node of the presented scene shows (a gamepad pressing a
    // panel button): no trip through the view's coordinates.
    void mouseDownOn(const SKNode& node);
    void windowDidResignKey();

    // What drawing keeps between frames: each look drawn once, as a sprite, and copied after.
    struct RenderStats {
        std::size_t sprites = 0;
        std::size_t spriteBytes = 0;
    };
    [[nodiscard]] RenderStats renderStats() const;
    [[nodiscard]] const SKRenderer& renderer() const { return *renderer_; }
    [[nodiscard]] SKRenderer& renderer() { return *renderer_; }


private:
    struct Fade;

    void show(std::shared_ptr<SKScene> scene);
    void startFade(std::shared_ptr<SKScene> scene, const SKTransition& transition);
    void attach(SKScene& scene);
    void detach(SKScene& scene);
    [[nodiscard]] bool acceptsInput() const { return scene_ && !fade_; }

    CGSize size_;
    const Clock& clock_;
    SoundPlayer& soundPlayer_;
    SKBundle bundle_;
    std::shared_ptr<SKScene> scene_;
    std::unique_ptr<Fade> fade_;
    std::shared_ptr<SKScene> pendingScene_;
    std::shared_ptr<SKTransition> pendingTransition_;
    bool inTick_ = false;
    bool sceneHasTicked_ = false;
    double lastTime_ = 0;
    double step_ = 1.0 / 60;
    double behind_ = 0; // time not yet stepped: within half a step of none, but after a late frame
    bool idleAtLastTick_ = false;
    std::unique_ptr<SKRenderer> renderer_;
};
