#include "Gamepad.hpp"

#include "SKEvent.hpp"
#include "SKScene.hpp"
#include "SKView.hpp"

#include <algorithm>

namespace {

// The stick counts as pushed past the first and as let go inside the second, so a stick
// resting near the edge does not flicker between the two.
constexpr int stickPushed = 16000;
constexpr int stickReleased = 10000;

// A node shows when neither it nor anything above it is hidden.
bool isShown(const SKNode& node)
{
    for (const SKNode* n = &node; n; n = n->parent())
        if (n->isHidden()) return false;
    return true;
}

} // namespace

Gamepad::Gamepad(std::span<const std::string_view> panelButtons, HeldFire& fire)
    : panelButtons_(panelButtons.begin(), panelButtons.end()), fire_(fire)
{
}

Gamepad::~Gamepad()
{
    for (auto& [id, pad] : pads_)
        if (pad.controller) SDL_GameControllerClose(pad.controller);
}

void Gamepad::handle(const SDL_Event& event, SKView& view, double now)
{
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        // Plugged in (or already there at start): `which` is a device index here.
        SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
        if (!controller) return;
        SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
        Pad& pad = pads_[id];
        if (pad.controller) SDL_GameControllerClose(controller); // told twice: keep the first
        else pad.controller = controller;
        return;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
        auto it = pads_.find(event.cdevice.which);
        if (it == pads_.end()) return;
        if (it->second.controller) SDL_GameControllerClose(it->second.controller);
        pads_.erase(it);
        // Whatever it held is let go.
        steer(view);
        fire_.release(event.cdevice.which, view);
        return;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        button(event.cbutton.which, SDL_GameControllerButton(event.cbutton.button),
               event.type == SDL_CONTROLLERBUTTONDOWN, view, now);
        return;
    case SDL_CONTROLLERAXISMOTION:
        if (event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX) return;
        stickMoved(pads_[event.caxis.which], event.caxis.value);
        steer(view);
        return;
    default:
        return;
    }
}

void Gamepad::button(SDL_JoystickID id, SDL_GameControllerButton button, bool down, SKView& view, double now)
{
    Pad& pad = pads_[id];
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        pad.dpadLeft = down;
        steer(view);
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        pad.dpadRight = down;
        steer(view);
        break;
    case SDL_CONTROLLER_BUTTON_START:
        if (down) view.keyDown(SKKey::escape);
        else view.keyUp(SKKey::escape);
        break;
    case SDL_CONTROLLER_BUTTON_A:
        // A panel press is only that: it neither fires nor repeats.
        if (!down) fire_.release(id, view);
        else if (!clickShownPanelButton(view)) fire_.press(id, view, now);
        break;
    default:
        break;
    }
}

void Gamepad::stickMoved(Pad& pad, int value)
{
    int magnitude = std::abs(value);
    if (magnitude >= stickPushed) pad.stick = value < 0 ? -1 : 1;
    else if (magnitude < stickReleased) pad.stick = 0;
}

void Gamepad::steer(SKView& view)
{
    bool left = false, right = false;
    for (const auto& [id, pad] : pads_) {
        left = left || pad.dpadLeft || pad.stick < 0;
        right = right || pad.dpadRight || pad.stick > 0;
    }
    // Let go before pressing, as fingers do when the stick swings across.
    if (left_ && !left) view.keyUp(SKKey::left);
    if (right_ && !right) view.keyUp(SKKey::right);
    if (!left_ && left) view.keyDown(SKKey::left);
    if (!right_ && right) view.keyDown(SKKey::right);
    left_ = left;
    right_ = right;
}

void Gamepad::forget()
{
    for (auto& [id, pad] : pads_) pad = Pad{pad.controller};
    left_ = right_ = false;
}

bool Gamepad::clickShownPanelButton(SKView& view) const
{
    const auto& scene = view.scene();
    if (!scene || view.isTransitioning()) return false;
    for (const auto& name : panelButtons_) {
        std::shared_ptr<SKNode> button;
        scene->enumerateChildNodesWithName("//" + name, [&](SKNode& node, bool& stop) {
            if (!isShown(node)) return;
            button = node.shared_from_this();
            stop = true;
        });
        if (!button) continue;
        view.mouseDownOn(*button);
        return true;
    }
    return false;
}
