#include "platform/layer/device/sdl/key_map.h"

#include "platform/layer/include/windows.h"

#include <SDL_scancode.h>

namespace layer {
namespace {

struct KeyRow {
    int virtualKey;
    SDL_Scancode first;
    SDL_Scancode second;
};

// Virtual-key codes by their Win32 values; letters and digits are their
// upper-case characters.
constexpr KeyRow NAMED_KEYS[] = {
    {0x08, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_UNKNOWN},  // VK_BACK
    {0x09, SDL_SCANCODE_TAB, SDL_SCANCODE_UNKNOWN},  // VK_TAB
    {0x0D, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER},  // VK_RETURN
    {0x10, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT},  // VK_SHIFT
    {0x11, SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL},  // VK_CONTROL
    {0x12, SDL_SCANCODE_LALT, SDL_SCANCODE_RALT},  // VK_MENU
    {0x13, SDL_SCANCODE_PAUSE, SDL_SCANCODE_UNKNOWN},  // VK_PAUSE
    {VK_ESCAPE, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_UNKNOWN},
    {0x20, SDL_SCANCODE_SPACE, SDL_SCANCODE_UNKNOWN},  // VK_SPACE
    {0x21, SDL_SCANCODE_PAGEUP, SDL_SCANCODE_UNKNOWN},  // VK_PRIOR
    {0x22, SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_UNKNOWN},  // VK_NEXT
    {0x23, SDL_SCANCODE_END, SDL_SCANCODE_UNKNOWN},  // VK_END
    {0x24, SDL_SCANCODE_HOME, SDL_SCANCODE_UNKNOWN},  // VK_HOME
    {VK_LEFT, SDL_SCANCODE_LEFT, SDL_SCANCODE_UNKNOWN},
    {VK_UP, SDL_SCANCODE_UP, SDL_SCANCODE_UNKNOWN},
    {VK_RIGHT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_UNKNOWN},
    {VK_DOWN, SDL_SCANCODE_DOWN, SDL_SCANCODE_UNKNOWN},
    {0x2D, SDL_SCANCODE_INSERT, SDL_SCANCODE_UNKNOWN},  // VK_INSERT
    {0x2E, SDL_SCANCODE_DELETE, SDL_SCANCODE_UNKNOWN},  // VK_DELETE
    {0xA0, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_UNKNOWN},  // VK_LSHIFT
    {0xA1, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_UNKNOWN},  // VK_RSHIFT
    {0xA2, SDL_SCANCODE_LCTRL, SDL_SCANCODE_UNKNOWN},  // VK_LCONTROL
    {0xA3, SDL_SCANCODE_RCTRL, SDL_SCANCODE_UNKNOWN},  // VK_RCONTROL
    {0xA4, SDL_SCANCODE_LALT, SDL_SCANCODE_UNKNOWN},  // VK_LMENU
    {0xA5, SDL_SCANCODE_RALT, SDL_SCANCODE_UNKNOWN},  // VK_RMENU
};

}  // namespace

KeyScancodes ScancodesForVirtualKey(int virtualKey)
{
    // SDL numbers the letters A to Z, the digits 1 to 9 then 0, and F1 to
    // F12 in unbroken runs; Win32 has 0 before 1.
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return {SDL_SCANCODE_A + (virtualKey - 'A'), 0};
    if (virtualKey == '0')
        return {SDL_SCANCODE_0, 0};
    if (virtualKey >= '1' && virtualKey <= '9')
        return {SDL_SCANCODE_1 + (virtualKey - '1'), 0};
    if (virtualKey >= 0x70 && virtualKey <= 0x7B)  // VK_F1 to VK_F12
        return {SDL_SCANCODE_F1 + (virtualKey - 0x70), 0};
    for (const KeyRow& row : NAMED_KEYS) {
        if (row.virtualKey == virtualKey)
            return {row.first, row.second};
    }
    return {0, 0};
}

}  // namespace layer
