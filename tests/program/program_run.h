// The whole program through WinMain on a fresh headless layer: its platform
// calls recorded, Escape held once enough frames were shown, and what it left
// behind.
#pragma once

#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/layer/test_controls.h"
#include "platform/win32.h"

#include <functional>
#include <string>
#include <vector>

namespace programrun {

namespace test = layer::test;

constexpr int DESKTOP_WIDTH = 1024, DESKTOP_HEIGHT = 768;

struct Outcome {
    int exitCode = -1, flips = 0, passes = 0;  // passes of the message loop
    bool hung = false;
    int displayObjects = 0, gdiObjects = 0, windows = 0;  // left at the end
    test::DisplayMode mode{};
    std::vector<test::RecordedCall> calls;
};

// arm() runs after the reset, to set failures or hooks; onFlip(n) after the
// nth flip. Escape is held from flip `escapeAt` on, and, for a run whose
// flips keep failing, from pass 4 * escapeAt of the message loop on. A run
// still looping long after that is ended by force and counted as hung.
inline Outcome RunProgram(const std::function<void()>& arm,
    const std::function<void(int)>& onFlip = nullptr, int escapeAt = 3)
{
    test::ResetLayer(DESKTOP_WIDTH, DESKTOP_HEIGHT);
    DisplayState = {};
    viewRight = 640;
    viewBottom = 480;
    // Taken before any failure is armed, so that the harness's own call
    // counts for nothing.
    HINSTANCE instance = GetModuleHandleA(NULL);
    Outcome o;
    test::OnFlip([&o, &onFlip, escapeAt] {
        if (onFlip)
            onFlip(o.flips + 1);
        if (++o.flips >= escapeAt)
            test::HoldKey(VK_ESCAPE);
    });
    test::OnCall("PeekMessageA", [&o, escapeAt] {
        if (++o.passes >= 4 * escapeAt)
            test::HoldKey(VK_ESCAPE);
        if (o.passes == 4 * escapeAt + 2000) {
            o.hung = true;
            PostQuitMessage(0);
        }
    });
    arm();
    test::StartRecording();
    o.exitCode = WinMain(instance, NULL, const_cast<char*>(""), SW_SHOWDEFAULT);
    o.calls = test::StopRecording();
    o.displayObjects = test::LiveSurfaces() + test::LivePalettes() + test::LiveDirectDrawObjects();
    o.gdiObjects = test::LiveGdiObjects();
    o.windows = test::LiveWindows();
    o.mode = test::CurrentDisplayMode();
    test::ResetLayer();
    DisplayState = {};
    return o;
}

// The operations of a record from `from` on, each followed by a space.
inline std::string Operations(const std::vector<test::RecordedCall>& calls, size_t from = 0)
{
    std::string text;
    for (size_t i = from; i < calls.size(); ++i)
        text += calls[i].operation + " ";
    return text;
}

}  // namespace programrun
