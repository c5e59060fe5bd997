#pragma once

#include "CGGeometry.hpp"
#include "SKLabelNode.hpp"
#include "SKShapeNode.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The game's texts, the labels and the two panels that halt play, and the names by which the
// scene finds the panels and their buttons. Each text and name is written here and nowhere else.

// The names looked up at run time. A button's label carries the button's name, so a click on
// either counts.
inline constexpr std::string_view disclaimerPanelName = "disclaimerPanel";
inline constexpr std::string_view continueButtonName = "continueButton";
inline constexpr std::string_view restartButtonName = "restartButton";
// The buttons of the warning and game-over panels, which a gamepad presses too.
inline constexpr std::array<std::string_view, 2> panelButtonNames{continueButtonName, restartButtonName};

// "SKOR: " and the score.
[[nodiscard]] std::string scoreText(std::int64_t score);
// "CAN: " and three hearts, red for each life left, black for each lost; all black past 0 or 3.
[[nodiscard]] std::string_view livesText(std::int64_t lives);

// The score at the top left, starting at 0.
[[nodiscard]] std::shared_ptr<SKLabelNode> makeScoreLabel(CGSize field);
// The hearts at the top right, starting at three lives.
[[nodiscard]] std::shared_ptr<SKLabelNode> makeLivesLabel(CGSize field);
// The pause message in the middle, hidden until play is paused.
[[nodiscard]] std::shared_ptr<SKLabelNode> makePauseLabel(CGSize field);

// The warning panel in the middle of the field, with its title, its text and the "Devam Et"
// button.
[[nodiscard]] std::shared_ptr<SKShapeNode> makeDisclaimerPanel(CGSize field);

// The end of a game: the total as it stands when the game ends, and the "Tekrar Dene" button.
// Both go straight into the scene.
struct GameOverPanel {
    std::shared_ptr<SKLabelNode> total;
    std::shared_ptr<SKShapeNode> button;
};
[[nodiscard]] GameOverPanel makeGameOverPanel(CGSize field, std::int64_t score);
