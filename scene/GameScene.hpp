#pragma once

#include "SKAction.hpp"
#include "SKCoder.hpp"
#include "SKLabelNode.hpp"
#include "SKPhysicsBody.hpp"
#include "SKScene.hpp"
#include "SKShapeNode.hpp"

#include <cstdint>
#include <memory>

// Set once the warning panel's button has been pressed; lasts for the rest of the process,
// so a restarted game skips the panel. Never stored.
extern bool disclaimerAccepted;

// The one scene of the game and the owner of all its state. Its steps compose the parts that
// entities/ (ships, lasers, enemies, stars, explosions) and hud/ (labels, panels) build; every
// member is defined in this folder: start-up, frame update, keys, pause, mouse and contacts.
class GameScene : public SKScene, public SKPhysicsContactDelegate {
public:
    // What halts play, if anything.
    enum class PlayState {
        playing,  // also before start-up, with no ship yet
        warning,  // the warning panel is shown
        paused,   // every node below the scene stands still
        gameOver, // the total and the restart button are shown
    };

    // The three ways a scene is made: with a size (a restart), without one (the size is set
    // afterwards), and from a scene resource.
    explicit GameScene(CGSize size);
    GameScene();
    explicit GameScene(const SKCoder& coder);

    // Platform callbacks.
    void didMoveToView(SKView& view) override;
    void update(double currentTime) override;
    void keyDown(const SKEvent& event) override;
    void keyUp(const SKEvent& event) override;
    void mouseDown(const SKEvent& event) override;
    // Losing focus in play pauses as ESC does; in the other states nothing changes.
    void windowDidResignKey() override;
    void didBeginContact(const SKPhysicsContact& contact) override;
    // The frame update stands still while play is halted.
    [[nodiscard]] bool updates() const override { return playState_ == PlayState::playing; }

    // The game's own steps.
    virtual void showDisclaimerOrStart();
    virtual void createStarfield();
    virtual void createPlayer();
    virtual void setupScoreLabel();
    virtual void setupLivesLabel();
    virtual void setupPauseLabel();
    virtual void togglePause();
    virtual void fireLaser();
    virtual void spawnEnemy();
    virtual void createExplosion(CGPoint position);
    virtual void gameOver();

    [[nodiscard]] const std::shared_ptr<SKShapeNode>& player() const { return player_; }
    [[nodiscard]] const std::shared_ptr<SKLabelNode>& scoreLabel() const { return scoreLabel_; }
    [[nodiscard]] const std::shared_ptr<SKLabelNode>& pauseLabel() const { return pauseLabel_; }
    [[nodiscard]] std::int64_t score() const { return score_; }
    [[nodiscard]] std::int64_t lives() const { return lives_; }
    [[nodiscard]] const std::shared_ptr<SKLabelNode>& livesLabel() const { return livesLabel_; }
    [[nodiscard]] double lastUpdateTime() const { return lastUpdateTime_; }
    [[nodiscard]] double lastEnemyTime() const { return lastEnemyTime_; }
    [[nodiscard]] bool isMovingLeft() const { return isMovingLeft_; }
    [[nodiscard]] bool isMovingRight() const { return isMovingRight_; }
    [[nodiscard]] CGFloat playerSpeed() const { return playerSpeed_; }
    [[nodiscard]] PlayState playState() const { return playState_; }
    [[nodiscard]] bool isGamePaused() const { return playState_ != PlayState::playing; }
    [[nodiscard]] const std::shared_ptr<SKAction>& laserSound() const { return laserSound_; }
    [[nodiscard]] const std::shared_ptr<SKAction>& explosionSound() const { return explosionSound_; }

private:
    // The ship and the hidden pause label come in, and play runs.
    void startPlay();
    void continueFromDisclaimer();
    void restart();
    // No direction stays held: its key-up may never come.
    void releaseDirections();

    // Node fields stay set after their node leaves the scene.
    std::shared_ptr<SKShapeNode> player_;
    std::shared_ptr<SKLabelNode> scoreLabel_;
    std::shared_ptr<SKLabelNode> pauseLabel_;
    std::int64_t score_ = 0;
    std::int64_t lives_ = 3;
    std::shared_ptr<SKLabelNode> livesLabel_;
    double lastUpdateTime_ = 0; // 0: not set since play last began
    double lastEnemyTime_ = 0;
    bool isMovingLeft_ = false;
    bool isMovingRight_ = false;
    const CGFloat playerSpeed_ = 8; // points per frame
    PlayState playState_ = PlayState::playing;
    const std::shared_ptr<SKAction> laserSound_ = SKAction::playSoundFileNamed("laser.wav", false);
    const std::shared_ptr<SKAction> explosionSound_ = SKAction::playSoundFileNamed("explosion.wav", false);
};
