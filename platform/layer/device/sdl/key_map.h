// Which keys of an SDL keyboard stand for a Win32 virtual-key code. Internal
// to the SDL backend; kept apart so that the table can be checked alone.
#pragma once

namespace layer {

// SDL scancode numbers (the USB HID keyboard usages) of the keys that make a
// virtual key down; 0 where there is none. The generic modifiers (VK_SHIFT,
// VK_CONTROL, VK_MENU) are down with either their left or right key.
struct KeyScancodes {
    int first;
    int second;
};

// Keys are taken by position as on a US keyboard. Codes outside 0 to 255, and
// keys no program of ours reads, give {0, 0}.
KeyScancodes ScancodesForVirtualKey(int virtualKey);

}  // namespace layer
