#pragma once

#include "HeldFire.hpp"

#include <SDL_events.h>
#include <SDL_gamecontroller.h>

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class SKView;

// Game controllers play as the keyboard and mouse do: the d-pad and left stick are the arrow
// keys, the south button is space, Start is ESC, and the south button also clicks the panel
// button shown. The game hears only its own key codes and clicks, so no rule changes.
class Gamepad {
public:
    // panelButtons: the names of the nodes the south button clicks when one is shown; fire: where
    // the south button holds fire, as the space bar does.
    Gamepad(std::span<const std::string_view> panelButtons, HeldFire& fire);
    ~Gamepad();
    Gamepad(const Gamepad&) = delete;
    Gamepad& operator=(const Gamepad&) = delete;

    // Takes the controller events (plugged in, pulled out, buttons, axes); others are left alone.
    void handle(const SDL_Event& event, SKView& view, double now);
    // The window lost focus and the game let go of its keys: so does the gamepad, and a stick
    // still held counts again only once it moves.
    void forget();

private:
    struct Pad {
        SDL_GameController* controller = nullptr; // null for a pad this process did not open
        bool dpadLeft = false, dpadRight = false;
        int stick = 0; // -1 left, 0 centre, 1 right
    };

    void button(SDL_JoystickID id, SDL_GameControllerButton button, bool down, SKView& view, double now);
    void stickMoved(Pad& pad, int value);
    // Tells the game where the pads, together, now steer.
    void steer(SKView& view);
    [[nodiscard]] bool clickShownPanelButton(SKView& view) const;

    std::vector<std::string> panelButtons_;
    HeldFire& fire_;
    std::map<SDL_JoystickID, Pad> pads_;
    bool left_ = false, right_ = false; // as the game last heard
};
