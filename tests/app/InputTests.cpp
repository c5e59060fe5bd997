#include "GameStage.hpp"
#include "Gamepad.hpp"
#include "Hud.hpp"
#include "KeyMap.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

// Hears what the game would hear: key codes and clicks.
struct Ear : SKScene {
    std::vector<std::string> heard;
    void keyDown(const SKEvent& e) override { heard.push_back("down " + name(e.keyCode())); }
    void keyUp(const SKEvent& e) override { heard.push_back("up " + name(e.keyCode())); }
    static std::string name(std::uint16_t key)
    {
        switch (key) {
        case SKKey::left: return "left";
        case SKKey::right: return "right";
        case SKKey::space: return "space";
        case SKKey::escape: return "escape";
        default: return std::to_string(key);
        }
    }
    void mouseDown(const SKEvent& e) override
    {
        CGPoint p = e.locationInNode(*this);
        heard.push_back("click " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)));
    }
};

struct Listening {
    ManualClock clock;
    SilentSoundPlayer sound;
    SKView view{{800, 600}, clock, sound};
    std::shared_ptr<Ear> ear = std::make_shared<Ear>();
    HeldFire fire{{0.5, 0.1}};
    Gamepad pad{panelButtonNames, fire};

    Listening()
    {
        ear->setScaleMode(SKSceneScaleMode::resizeFill);
        view.presentScene(ear);
    }
    void button(SDL_JoystickID which, SDL_GameControllerButton b, bool down, double now = 0)
    {
        SDL_Event e{};
        e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
        e.cbutton.which = which;
        e.cbutton.button = Uint8(b);
        e.cbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
        pad.handle(e, view, now);
    }
    void stick(SDL_JoystickID which, int x, SDL_GameControllerAxis axis = SDL_CONTROLLER_AXIS_LEFTX)
    {
        SDL_Event e{};
        e.type = SDL_CONTROLLERAXISMOTION;
        e.caxis.which = which;
        e.caxis.axis = Uint8(axis);
        e.caxis.value = Sint16(x);
        pad.handle(e, view, 0);
    }
    std::vector<std::string> take() { return std::exchange(ear->heard, {}); }
};

using Heard = std::vector<std::string>;

} // namespace

TEST(Gamepad, DpadAndLeftStickAreTheArrowKeysAcrossPads)
{
    Listening l;
    l.button(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    l.stick(2, -32768); // a second pad steering the same way adds nothing
    l.button(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(l.take(), (Heard{"down left"}));
    l.stick(2, 0);
    EXPECT_EQ(l.take(), (Heard{"up left"}));

    // Pushed past about half, let go only well inside: no flicker at the edge.
    l.stick(1, 12000);
    EXPECT_EQ(l.take(), Heard{});
    l.stick(1, 20000);
    l.stick(1, 12000);
    l.stick(1, 20000);
    EXPECT_EQ(l.take(), (Heard{"down right"}));
    l.stick(1, -20000);
    EXPECT_EQ(l.take(), (Heard{"up right", "down left"}));
    l.stick(1, -20000, SDL_CONTROLLER_AXIS_LEFTY);
    l.stick(1, 30000, SDL_CONTROLLER_AXIS_RIGHTX);
    l.stick(1, 0);
    EXPECT_EQ(l.take(), (Heard{"up left"})) << "only the left stick's x steers";

    // Both ways at once, as with both arrow keys held.
    l.button(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    l.button(1, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(l.take(), (Heard{"down left", "down right"}));

    // A pad that goes without letting go lets go of everything it held.
    l.button(1, SDL_CONTROLLER_BUTTON_A, true);
    SDL_Event gone{};
    gone.type = SDL_CONTROLLERDEVICEREMOVED;
    gone.cdevice.which = 1;
    l.pad.handle(gone, l.view, 0);
    EXPECT_EQ(l.take(), (Heard{"down space", "up left", "up right", "up space"}));
}

TEST(Gamepad, SouthFiresOncePerPressThenAtTheKeyRepeatRateAndStartIsEscape)
{
    Listening l;
    l.button(1, SDL_CONTROLLER_BUTTON_A, true, 10.0);
    EXPECT_EQ(l.take(), (Heard{"down space"}));
    l.fire.repeat(l.view, 10.49);
    EXPECT_EQ(l.take(), Heard{}) << "no repeat before the delay";
    l.fire.repeat(l.view, 10.5);
    l.fire.repeat(l.view, 10.55);
    l.fire.repeat(l.view, 10.6);
    EXPECT_EQ(l.take(), (Heard{"down space", "down space"}));
    // A stall fires one repeat, not the ones it missed.
    l.fire.repeat(l.view, 12.0);
    EXPECT_EQ(l.take(), (Heard{"down space"}));
    l.button(1, SDL_CONTROLLER_BUTTON_A, false, 12.01);
    l.fire.repeat(l.view, 13.0);
    EXPECT_EQ(l.take(), (Heard{"up space"}));

    l.button(1, SDL_CONTROLLER_BUTTON_START, true);
    l.button(1, SDL_CONTROLLER_BUTTON_START, false);
    l.button(1, SDL_CONTROLLER_BUTTON_B, true);
    l.button(1, SDL_CONTROLLER_BUTTON_BACK, true);
    EXPECT_EQ(l.take(), (Heard{"down escape", "up escape"})) << "other buttons do nothing";
}

TEST(HeldFire, SpaceKeepsFiringWhileSteeringAndUntilNothingHoldsIt)
{
    Listening l;
    auto key = [&](SDL_Scancode code, bool down, bool repeat, double now) {
        SDL_KeyboardEvent e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.repeat = repeat;
        e.keysym.scancode = code;
        deliverKey(e, l.view, l.fire, now);
    };
    key(SDL_SCANCODE_SPACE, true, false, 10.0);
    key(SDL_SCANCODE_SPACE, true, true, 10.1); // the desktop's own repeat: ours come instead
    key(SDL_SCANCODE_LEFT, true, false, 10.2);
    key(SDL_SCANCODE_LEFT, true, true, 10.3);
    key(SDL_SCANCODE_B, true, false, 10.3);
    EXPECT_EQ(l.take(), (Heard{"down space", "down left", "down left"}));
    l.fire.repeat(l.view, 10.49);
    EXPECT_EQ(l.take(), Heard{});
    l.fire.repeat(l.view, 10.5);
    key(SDL_SCANCODE_LEFT, false, false, 10.55);
    l.fire.repeat(l.view, 10.6);
    EXPECT_EQ(l.take(), (Heard{"down space", "up left", "down space"})) << "steering does not stop the repeats";

    // A pad's fire button holds it too: space goes up once neither holds it.
    l.button(1, SDL_CONTROLLER_BUTTON_A, true, 10.65);
    key(SDL_SCANCODE_SPACE, false, false, 10.66);
    l.fire.repeat(l.view, 11.15);
    l.button(1, SDL_CONTROLLER_BUTTON_A, false, 11.2);
    l.fire.repeat(l.view, 11.5);
    EXPECT_EQ(l.take(), (Heard{"down space", "down space", "up space"}));

    // Repeat switched off on the desktop: one shot a press.
    HeldFire once{{0.5, 0}};
    once.press(HeldFire::keyboard, l.view, 1.0);
    once.repeat(l.view, 9.0);
    EXPECT_EQ(l.take(), (Heard{"down space"}));
}

TEST(Gamepad, AfterFocusLossNothingHeldCountsUntilItMovesAgain)
{
    Listening l;
    l.stick(1, -30000);
    l.button(1, SDL_CONTROLLER_BUTTON_A, true, 1.0);
    l.take();
    l.pad.forget(); // the game itself let go of its keys
    l.fire.forget();
    l.fire.repeat(l.view, 5.0);
    l.button(1, SDL_CONTROLLER_BUTTON_A, false, 5.0);
    EXPECT_EQ(l.take(), Heard{}) << "no repeat, and no release for a press the game forgot";
    l.stick(1, -29000);
    EXPECT_EQ(l.take(), (Heard{"down left"})) << "the stick still held steers again once it moves";
}

TEST(Gamepad, SouthPressesTheShownPanelButtonWhichNeitherFiresNorRepeats)
{
    GameStage stage(false);
    HeldFire fire{{0.5, 0.1}};
    Gamepad pad{panelButtonNames, fire};
    auto south = [&](bool down, double now) {
        SDL_Event e{};
        e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
        e.cbutton.which = 7;
        e.cbutton.button = SDL_CONTROLLER_BUTTON_A;
        pad.handle(e, stage.view, now);
    };
    stage.frames();
    ASSERT_TRUE(stage.scene->childNodeWithName("disclaimerPanel"));
    south(true, 1.0);
    EXPECT_FALSE(stage.scene->childNodeWithName("disclaimerPanel")) << "Devam Et pressed";
    EXPECT_FALSE(stage.scene->isGamePaused());
    fire.repeat(stage.view, 3.0);
    stage.frames();
    EXPECT_TRUE(stage.lasers().empty()) << "the press that continued fires nothing, now or held";
    south(false, 3.1);

    south(true, 4.0);
    stage.frames();
    EXPECT_EQ(stage.lasers().size(), 1u) << "in play the south button fires";
    south(false, 4.1);

    stage.scene->gameOver();
    south(true, 5.0);
    EXPECT_TRUE(stage.view.isTransitioning()) << "Tekrar Dene pressed: the restart fades in";
    stage.frames(40);
    EXPECT_NE(&stage.current(), stage.scene.get());
    EXPECT_EQ(stage.current().score(), 0);
}

// Plugged in and pulled out through SDL itself, with virtual controllers.
TEST(Gamepad, HotPlugOpensAndClosesControllersAndLetsGoOfWhatAPulledOneHeld)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    Listening l;
    auto deliver = [&] {
        SDL_Event e;
        while (SDL_PollEvent(&e)) l.pad.handle(e, l.view, 0);
    };
    int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(first, 0) << SDL_GetError();
    deliver();
    SDL_Joystick* joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(first));
    ASSERT_TRUE(joystick);
    ASSERT_TRUE(SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(joystick))) << "opened on plug-in";

    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    deliver();
    EXPECT_EQ(l.take(), (Heard{"down space", "down right"}));

    SDL_JoystickDetachVirtual(first);
    deliver();
    EXPECT_EQ(l.take(), (Heard{"up space", "up right"})) << "pulled out while held";

    // Plugged in again, it plays again.
    int again = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(again, 0);
    deliver();
    joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(again));
    ASSERT_TRUE(joystick);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    deliver();
    EXPECT_EQ(l.take(), (Heard{"down left"}));
    SDL_JoystickDetachVirtual(again);
    deliver();
    EXPECT_EQ(l.take(), (Heard{"up left"}));
    SDL_Quit();
}
