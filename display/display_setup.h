// Taking the display for the main window, and giving it back.
#pragma once

#include "platform/win32.h"

// The display's depth in the mode the program takes (640 x 480).
constexpr DWORD DISPLAY_BITS_PER_PIXEL = 16;

// 1 when the DirectDraw object, the 640 x 480 x 16 mode, the flipping
// primary with its back buffer and all twelve tile surfaces exist; 0 after
// releasing whatever was made when any of them cannot be made.
int InitDisplay(HWND window);

// 1 when there was a DirectDraw object to release; 0, touching nothing,
// when there was none.
int ReleaseDisplay();
