// The program on the desktop backend, SDL's, on its screenless driver, with a
// game pad plugged in through SDL's virtual joystick and keys sent as SDL's
// key events: each step against the key state the program reads and the
// frame it then shows.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "mapview/frame.h"
#include "mapview/view_position.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/testing/test_controls.h"
#include "tests/support/test_window.h"
#include "tests/support/tile_reference.h"

#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

namespace test = layer::test;

// The pad's d-pad and stick (only beyond its dead zone), Back and B hold the
// arrows and Escape while it is plugged in. Alt+Enter and F11 toggle the
// window and are never held, nor is Alt once Enter joins it, nor their
// repeats; Enter alone is held as any key is.
TEST(DesktopInput, PadHoldsArrowsAndEscapeAndWindowKeysStayHidden)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // SDL passes a pad's input only to a window with the focus, which the
    // screenless driver gives none.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    ASSERT_TRUE(test::ResetLayerOnDesktop());
    DisplayState = {};
    DisplayState.MainWindow = CreateTestWindow();
    ASSERT_EQ(InitDisplay(DisplayState.MainWindow), 1);
    LoadTileSet();
    viewRight = viewBottom = 1024;
    const int device = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    SDL_Joystick* pad = SDL_JoystickOpen(device);
    ASSERT_NE(pad, nullptr) << SDL_GetError();
    const SDL_JoystickID instance = SDL_JoystickInstanceID(pad);

    struct Step {
        char kind;  // b: button, a: axis, d/u/r: key down, up, repeat, x: unplug
        int which;
        int value;  // the button's or axis's value, the key's modifiers
        const char* held;
        int dx, dy;  // the view's move in the frame that follows
    };
    const int alt = KMOD_LALT, enter = SDL_SCANCODE_RETURN;
    for (Step s : {Step{'b', SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1, "R", 4, 0},
             {'a', SDL_CONTROLLER_AXIS_LEFTY, 32767, "RD", 4, 4},
             {'b', SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0, "D", 0, 4},
             {'a', SDL_CONTROLLER_AXIS_LEFTY, -10924, "U", 0, -4},
             {'a', SDL_CONTROLLER_AXIS_LEFTY, 10923, "", 0, 0},
             {'a', SDL_CONTROLLER_AXIS_LEFTX, 10924, "R", 4, 0},
             {'a', SDL_CONTROLLER_AXIS_LEFTX, -12000, "L", -4, 0},
             {'d', SDL_SCANCODE_LALT, 0, "LA", -4, 0}, {'d', enter, alt, "L", -4, 0},
             {'r', enter, alt, "L", -4, 0}, {'u', SDL_SCANCODE_LALT, 0, "L", -4, 0},
             {'r', enter, 0, "L", -4, 0}, {'u', enter, 0, "L", -4, 0}, {'d', enter, 0, "LN", -4, 0},
             {'u', enter, 0, "L", -4, 0}, {'d', SDL_SCANCODE_F11, 0, "L", -4, 0},
             {'u', SDL_SCANCODE_F11, 0, "L", -4, 0},
             {'b', SDL_CONTROLLER_BUTTON_BACK, 1, "LE", -4, 0},
             {'b', SDL_CONTROLLER_BUTTON_BACK, 0, "L", -4, 0},
             {'b', SDL_CONTROLLER_BUTTON_B, 1, "LE", -4, 0}, {'x', 0, 0, "", 0, 0}}) {
        SCOPED_TRACE(testing::Message() << s.kind << " " << s.which << " " << s.value);
        SDL_Event key{};
        key.type = s.kind == 'u' ? SDL_KEYUP : SDL_KEYDOWN;
        key.key.repeat = s.kind == 'r';
        key.key.keysym = {SDL_Scancode(s.which), 0, Uint16(s.value), 0};
        ASSERT_EQ(s.kind == 'b' ? SDL_JoystickSetVirtualButton(pad, s.which, Uint8(s.value))
                : s.kind == 'a' ? SDL_JoystickSetVirtualAxis(pad, s.which, Sint16(s.value))
                : s.kind == 'x' ? SDL_JoystickDetachVirtual(device)
                                : SDL_PushEvent(&key) - 1,
            0)
            << SDL_GetError();
        // The program's message loop takes in the desktop's news; the
        // window's paint stays due and ends the drain.
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) != 0 && message.message != WM_PAINT) {
        }
        std::string held;
        // Alt, Enter and F11 are keys the program never asks for.
        for (auto [code, name] : {std::pair{VK_LEFT, "L"}, {VK_UP, "U"}, {VK_RIGHT, "R"},
                 {VK_DOWN, "D"}, {VK_ESCAPE, "E"}, {0x12, "A"}, {0x0D, "N"}, {0x7A, "F"}})
            held += (GetAsyncKeyState(code) & 0x8000) != 0 ? name : "";
        EXPECT_EQ(held, s.held);
        const int32_t right = viewRight, bottom = viewBottom;
        UpdateFrame();
        EXPECT_EQ(std::pair(viewRight - right, viewBottom - bottom), std::pair(s.dx, s.dy));
        EXPECT_EQ(reference::WrongFramePixels(
                      test::ReadSurface(DisplayState.PrimarySurface).values, viewRight, viewBottom),
            0);
        // Escape asks the main window to close.
        EXPECT_EQ(test::PendingMessages(), std::string(s.held).find('E') != std::string::npos);
    }
    EXPECT_EQ(SDL_GameControllerFromInstanceID(instance), nullptr) << "the unplugged pad is closed";
    SDL_JoystickClose(pad);
    EXPECT_EQ(ReleaseDisplay(), 1);
    test::ResetLayer();
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS");
}

// The start preference (--window) opens the display in a window, and its
// absence full screen.
TEST(DesktopInput, StartPreferenceChoosesWindowOrFullScreen)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    for (bool inWindow : {true, false}) {
        SCOPED_TRACE(inWindow ? "in a window" : "full screen");
        layer::SetStartInWindow(inWindow);
        ASSERT_TRUE(test::ResetLayerOnDesktop());
        DisplayState = {};
        DisplayState.MainWindow = CreateTestWindow();
        ASSERT_EQ(InitDisplay(DisplayState.MainWindow), 1);
        SDL_Window* shown = nullptr;
        for (Uint32 id = 1; id < 1000 && shown == nullptr; ++id)
            shown = SDL_GetWindowFromID(id);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ((SDL_GetWindowFlags(shown) & SDL_WINDOW_FULLSCREEN) == 0, inWindow);
        EXPECT_EQ(ReleaseDisplay(), 1);
        test::ResetLayer();
    }
    layer::SetStartInWindow(false);
    unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
