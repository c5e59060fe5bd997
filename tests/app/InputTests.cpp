// Keys and game controllers as the game hears them: its own key codes and clicks.
#include "GameStage.hpp"
#include "Gamepad.hpp"
#include "Hud.hpp"
#include "KeyMap.hpp"
#include "Support.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

using Heard = std::vector<std::string>;

struct Ear : SKScene {
    Heard heard;
    static std::string name(std::uint16_t k)
    {
        return k == SKKey::left ? "left" : k == SKKey::right ? "right" : k == SKKey::space ? "space" : "escape";
    }
    void keyDown(const SKEvent& e) override { heard.push_back("down " + name(e.keyCode())); }
    void keyUp(const SKEvent& e) override { heard.push_back("up " + name(e.keyCode())); }
};

// A pad's button going down or up, as SDL tells it.
SDL_Event padButton(SDL_JoystickID which, SDL_GameControllerButton b, bool down)
{
    return {.cbutton = {Uint32(down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP), 0, which, Uint8(b)}};
}

struct Listening : ViewStage {
    std::shared_ptr<Ear> ear = std::make_shared<Ear>();
    HeldFire fire{{0.5, 0.1}};
    Gamepad pad{panelButtonNames, fire};
    Listening() { view.presentScene(ear); }
    void button(SDL_JoystickID which, SDL_GameControllerButton b, bool down, double now = 0)
    {
        pad.handle(padButton(which, b, down), view, now);
    }
    void key(SDL_Scancode code, bool down, bool repeat, double now)
    {
        SDL_KeyboardEvent e{down ? SDL_KEYDOWN : SDL_KEYUP};
        e.repeat = repeat, e.keysym.scancode = code;
        deliverKey(e, view, fire, now);
    }
    Heard take() { return std::exchange(ear->heard, {}); }
};

} // namespace

TEST(Keys, TheGameHearsItsSixKeysAndTheHostKeysTakeExactlyTheirModifiersOnTheirPress)
{
    int mapped = 0;
    for (int code = 0; code < SDL_NUM_SCANCODES; ++code) mapped += virtualKeyCode(SDL_Scancode(code)).has_value();
    EXPECT_EQ(mapped, 6) << "no other key may pass for A (code 0)";
    for (auto [code, key] : {std::pair{SDL_SCANCODE_A, 0}, {SDL_SCANCODE_D, 2}, {SDL_SCANCODE_SPACE, 49},
                             {SDL_SCANCODE_ESCAPE, 53}, {SDL_SCANCODE_LEFT, 123}, {SDL_SCANCODE_RIGHT, 124}})
        EXPECT_EQ(virtualKeyCode(code), key);
    auto host = [](SDL_Keycode sym, int mod, Uint32 type = SDL_KEYDOWN, bool repeat = false) {
        return hostKey({type, 0, 0, 0, Uint8(repeat), 0, 0, {SDL_SCANCODE_UNKNOWN, sym, Uint16(mod), 0}});
    };
    using enum HostKey;
    EXPECT_EQ(host(SDLK_q, KMOD_RCTRL | KMOD_CAPS | KMOD_NUM | KMOD_SCROLL), quit) << "lock keys aside";
    EXPECT_EQ(host(SDLK_F11, KMOD_NONE), fullscreen);
    EXPECT_EQ(host(SDLK_RETURN, KMOD_RALT), fullscreen);
    EXPECT_EQ(host(SDLK_KP_ENTER, KMOD_LALT | KMOD_NUM), fullscreen);
    EXPECT_EQ(host(SDLK_m, KMOD_CAPS), mute);
    for (HostKey k : {host(SDLK_q, KMOD_LCTRL | KMOD_LSHIFT), host(SDLK_q, KMOD_LCTRL | KMOD_LALT),
                      host(SDLK_q, KMOD_LCTRL, SDL_KEYUP), host(SDLK_q, KMOD_NONE), host(SDLK_F11, KMOD_LCTRL),
                      host(SDLK_F11, KMOD_NONE, SDL_KEYDOWN, true), host(SDLK_RETURN, KMOD_LALT | KMOD_LCTRL),
                      host(SDLK_RETURN, KMOD_NONE), host(SDLK_w, KMOD_LCTRL), host(SDLK_m, KMOD_LSHIFT),
                      host(SDLK_m, KMOD_NONE, SDL_KEYDOWN, true), host(SDLK_m, KMOD_NONE, SDL_KEYUP)})
        EXPECT_EQ(k, none);
}

TEST(HeldFire, SpaceKeepsFiringWhileSteeringAndUntilNeitherKeyNorPadHoldsIt)
{
    Listening l;
    l.key(SDL_SCANCODE_SPACE, true, false, 10.0);
    l.key(SDL_SCANCODE_SPACE, true, true, 10.1); // the desktop's own repeat: ours come instead
    l.key(SDL_SCANCODE_LEFT, true, false, 10.2);
    l.key(SDL_SCANCODE_LEFT, true, true, 10.3);
    l.key(SDL_SCANCODE_B, true, false, 10.3);
    EXPECT_EQ(l.take(), (Heard{"down space", "down left", "down left"}));
    l.fire.repeat(l.view, 10.49);
    EXPECT_EQ(l.take(), Heard{}) << "no repeat before the delay";
    l.fire.repeat(l.view, 10.5);
    l.key(SDL_SCANCODE_LEFT, false, false, 10.55);
    l.fire.repeat(l.view, 10.6);
    l.fire.repeat(l.view, 12.0); // a stall fires one repeat, not the ones it missed
    EXPECT_EQ(l.take(), (Heard{"down space", "up left", "down space", "down space"}));
    l.button(1, SDL_CONTROLLER_BUTTON_A, true, 12.05);
    l.key(SDL_SCANCODE_SPACE, false, false, 12.06);
    l.fire.repeat(l.view, 12.15);
    l.button(1, SDL_CONTROLLER_BUTTON_A, false, 12.2);
    l.fire.repeat(l.view, 13);
    EXPECT_EQ(l.take(), (Heard{"down space", "up space"}));
    // The pad's own press fires at once; Start is ESC; other buttons do nothing.
    l.button(2, SDL_CONTROLLER_BUTTON_A, true, 14), l.button(2, SDL_CONTROLLER_BUTTON_START, true);
    l.button(2, SDL_CONTROLLER_BUTTON_START, false), l.button(2, SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(l.take(), (Heard{"down space", "down escape", "up escape"}));
    // Focus lost: nothing held repeats, and the release the game no longer waits for says nothing.
    l.fire.forget();
    l.fire.repeat(l.view, 20);
    l.button(2, SDL_CONTROLLER_BUTTON_A, false, 20);
    EXPECT_EQ(l.take(), Heard{});
    // Repeat switched off on the desktop: one shot a press.
    l.fire.setRepeat({0.5, 0});
    l.key(SDL_SCANCODE_SPACE, true, false, 30);
    l.fire.repeat(l.view, 39);
    EXPECT_EQ(l.take(), (Heard{"down space"}));
}

TEST(Gamepad, SouthPressesTheShownPanelButtonWhichNeitherFiresNorRepeats)
{
    GameStage stage(false);
    HeldFire fire{{0.5, 0.1}};
    Gamepad pad{panelButtonNames, fire};
    auto south = [&](bool down, double now) { pad.handle(padButton(7, SDL_CONTROLLER_BUTTON_A, down), stage.view, now); };
    stage.frames(), south(true, 1.0), fire.repeat(stage.view, 3.0), stage.frames();
    EXPECT_TRUE(stage.scene->playState() == GameScene::PlayState::playing && stage.lasers().empty())
        << "Devam Et pressed; the press fires nothing, now or held";
    south(false, 3.1), south(true, 4.0), stage.frames();
    EXPECT_EQ(stage.lasers().size(), 1u) << "in play the south button fires";
    south(false, 4.1), stage.scene->gameOver(), south(true, 5.0);
    EXPECT_TRUE(stage.view.isTransitioning()) << "Tekrar Dene pressed: the restart fades in";
}

// Plugged in and pulled out through SDL itself, with virtual controllers: the left stick's x and
// the d-pad steer (the stick past about half, let go only well inside: no flicker at the edge),
// south fires, and a pulled pad lets go of what it held.
TEST(Gamepad, HotPluggedPadsSteerAndFireAndAPulledOneLetsGoOfWhatItHeld)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    Listening l;
    auto deliver = [&] {
        for (SDL_Event e; SDL_PollEvent(&e);) l.pad.handle(e, l.view, 0);
    };
    for (int round = 0; round < 2; ++round) {
        int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                               SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(device, 0) << SDL_GetError();
        deliver();
        SDL_Joystick* joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
        ASSERT_TRUE(joystick && SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(joystick))) << "opened";
        for (int x : {12000, 20000, 12000, 20000, -20000, -32768})
            SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, Sint16(x)), deliver();
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTX, 30000);
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_PRESSED); // both ways at once
        deliver();
        SDL_JoystickDetachVirtual(device);
        deliver();
        EXPECT_EQ(l.take(), (Heard{"down right", "up right", "down left", "down space", "down right", "up left",
                                   "up space", "up right"})) << "round " << round;
    }
    // Pulled before its releases came (SDL lets go of a virtual pad's buttons first; a dying one
    // may not): forgotten all the same.
    l.button(9, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    l.pad.handle({.cdevice = {SDL_CONTROLLERDEVICEREMOVED, 0, 9}}, l.view, 0);
    EXPECT_EQ(l.take(), (Heard{"down left", "up left"}));
    SDL_Quit();
}
