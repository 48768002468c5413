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

constexpr int DESKTOP_WIDTH = 1024;
constexpr int DESKTOP_HEIGHT = 768;

struct Outcome {
    int exitCode = -1;
    int flips = 0;
    int passes = 0;  // of the message loop
    bool hung = false;
    int displayObjects = 0;  // surfaces, palettes and DirectDraw objects left
    int gdiObjects = 0;
    int windows = 0;
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

    Outcome outcome;
    test::OnFlip([&outcome, &onFlip, escapeAt] {
        ++outcome.flips;
        if (onFlip)
            onFlip(outcome.flips);
        if (outcome.flips >= escapeAt)
            test::HoldKey(VK_ESCAPE);
    });
    test::OnCall("PeekMessageA", [&outcome, escapeAt] {
        ++outcome.passes;
        if (outcome.passes >= 4 * escapeAt)
            test::HoldKey(VK_ESCAPE);
        if (outcome.passes >= 4 * escapeAt + 2000 && !outcome.hung) {
            outcome.hung = true;
            PostQuitMessage(0);
        }
    });
    arm();
    test::StartRecording();
    outcome.exitCode = WinMain(instance, NULL, const_cast<char*>(""), SW_SHOWDEFAULT);
    outcome.calls = test::StopRecording();

    outcome.displayObjects
        = test::LiveSurfaces() + test::LivePalettes() + test::LiveDirectDrawObjects();
    outcome.gdiObjects = test::LiveGdiObjects();
    outcome.windows = test::LiveWindows();
    outcome.mode = test::CurrentDisplayMode();
    test::ResetLayer();
    DisplayState = {};
    return outcome;
}

// The operations of a record, each followed by a space.
inline std::string Operations(const std::vector<test::RecordedCall>& calls, size_t from = 0)
{
    std::string text;
    for (size_t i = from; i < calls.size(); ++i)
        text += calls[i].operation + " ";
    return text;
}

}  // namespace programrun
