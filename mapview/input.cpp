#include "mapview/input.h"

#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/win32.h"

// Only the "down now" bit counts; the "pressed since last call" bit is not
// wanted, since the keys are sampled as their state at this moment.
static bool KeyHeld(int virtualKey)
{
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

void ProcessInput()
{
    // The close request is queued; the frame still runs to its flip.
    if (KeyHeld(VK_ESCAPE))
        PostMessageA(DisplayState.MainWindow, WM_CLOSE, 0, 0);

    // One statement per key keeps the sampling order fixed.
    const bool rightHeld = KeyHeld(VK_RIGHT);
    const bool leftHeld = KeyHeld(VK_LEFT);
    const bool upHeld = KeyHeld(VK_UP);
    const bool downHeld = KeyHeld(VK_DOWN);
    ScrollView(rightHeld, leftHeld, upHeld, downHeld);
}
