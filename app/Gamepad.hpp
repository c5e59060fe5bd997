#pragma once

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
    // How a held key repeats: the wait before the first repeat, then between repeats (seconds).
    struct KeyRepeat {
        double delay = 0.660;
        double interval = 0.040;
    };

    // panelButtons: the names of the nodes the south button clicks when one is shown.
    Gamepad(std::span<const std::string_view> panelButtons, KeyRepeat repeat);
    ~Gamepad();
    Gamepad(const Gamepad&) = delete;
    Gamepad& operator=(const Gamepad&) = delete;

    // Takes the controller events (plugged in, pulled out, buttons, axes); others are left alone.
    void handle(const SDL_Event& event, SKView& view, double now);
    // A held south button fires again as a held space bar does.
    void repeatHeldKeys(SKView& view, double now);
    // The window lost focus and the game let go of its keys: so does the gamepad, and a stick
    // or button still held counts again only once it moves.
    void forget();

private:
    struct Pad {
        SDL_GameController* controller = nullptr; // null for a pad this process did not open
        bool dpadLeft = false, dpadRight = false;
        int stick = 0; // -1 left, 0 centre, 1 right
        bool fire = false;
    };

    void button(Pad& pad, SDL_GameControllerButton button, bool down, SKView& view, double now);
    void stickMoved(Pad& pad, int value);
    // Tells the game where the pads, together, now steer.
    void steer(SKView& view);
    // Space goes up once no pad holds its fire button.
    void stopFiringIfNoneHolds(SKView& view);
    [[nodiscard]] bool clickShownPanelButton(SKView& view) const;

    std::vector<std::string> panelButtons_;
    KeyRepeat repeat_;
    std::map<SDL_JoystickID, Pad> pads_;
    bool left_ = false, right_ = false; // as the game last heard
    bool firing_ = false;
    double nextRepeat_ = 0;
};
