// Controls for the tests: only tests, tools and benchmarks include this
// header. They reach into the layer to hold keys, make calls fail, record the
// call sequence, count live objects and read what is on the surfaces and the
// screen.
//
// testing/ holds these controls and the PNG writer they save frames with. It
// may include every other folder of the layer; nothing in the layer includes
// it (apart from calls/, for the declarations of the controls it keeps).
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace layer::test {

// ---- Call record and failure injection (call_log.cpp) ----------------------
struct RecordedCall {
    std::string operation;  // the platform's name, e.g. "Release", "GetDC"
    const void* object;  // interface or handle it was called on, or null
};

// The nth matching call from now on (1 = the next one) fails, and so do the
// count - 1 matching calls after it (count < 0: every one from then on).
// object, when not null, limits the rule to calls on that object.
void FailCall(const char* operation, int nth = 1, int count = 1, const void* object = nullptr);
void ClearFailures();
// Runs hook whenever the named call is made, before it does anything (and
// before a failure rule can make it fail), until ResetLayer or OnCall with an
// empty hook; one hook per operation. The calls a hook makes run no hooks.
// How a test acts where no flip marks the moment, e.g. once per pass of a
// message loop whose flips keep failing.
void OnCall(const char* operation, std::function<void()> hook);
void ClearCallHooks();
void StartRecording();
std::vector<RecordedCall> StopRecording();
const std::vector<RecordedCall>& RecordedCalls();

}  // namespace layer::test

namespace layer::test {

// ---- The whole layer (test_controls.cpp) -------------------------------------
// Ends every object the layer holds (windows, queue, surfaces, DirectDraw
// objects, GDI objects, registered test resources, held keys, failure rules,
// captured output) and selects the headless backend with the given screen.
void ResetLayer(int screenWidth = 1024, int screenHeight = 768);
// The same with the desktop backend, as a program run without
// TILESCROLL_BACKEND has (SDL's, whose driver SDL_VIDEODRIVER may name);
// false when it cannot start. The controls of the headless backend refuse.
bool ResetLayerOnDesktop();

// ---- Keyboard and desktop (headless backend) ---------------------------------
void HoldKey(int virtualKey, bool held = true);
// The desktop asks the program to close, as a window's close button would:
// the next PeekMessageA posts WM_CLOSE to the main window.
void RequestDesktopClose();

// ---- Live objects ----------------------------------------------------------------
int LiveSurfaces();  // surfaces not yet ended, back buffers included
int LivePalettes();
int LiveDirectDrawObjects();
int KeptShells();  // ended DirectDraw objects, surfaces and palettes not yet freed
int LiveGdiObjects();  // bitmaps and device contexts made by the program
int LiveWindows();

// ---- Display ---------------------------------------------------------------------
struct DisplayMode {
    int width;
    int height;
    int bitsPerPixel;
};
DisplayMode CurrentDisplayMode();  // the desktop's mode when none was set
int FlipCount();  // flips of any primary since ResetLayer
// Runs after every flip has reached the screen, until ResetLayer or a new
// hook: how a test holds keys or looks at frames while a program runs.
void OnFlip(std::function<void()> hook);

// ---- Surfaces ----------------------------------------------------------------------
// The surface's memory is undefined until Restore; operations answer
// DDERR_SURFACELOST meanwhile.
void MarkSurfaceLost(IDirectDrawSurface* surface);
// The user switches to another program (true): its window goes in front,
// every surface is lost and the desktop gets its own mode back, as the
// platform does for an exclusive display; or back to ours (false), which
// leaves the mode and the surfaces as they are and makes the window due a
// paint, as a window brought back in front is.
void SwitchAwayFromDisplay(bool away);
// Lock on this surface answers DDERR_WASSTILLDRAWING this many times first.
void LockStillDrawing(IDirectDrawSurface* surface, int times);

// 16-bit 5-6-5 pixels, row by row without padding.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> values;
    uint16_t at(int x, int y) const
    {
        return values[static_cast<size_t>(y) * width + x];
    }
};
Pixels ReadSurface(IDirectDrawSurface* surface);
Pixels VisibleFrame();  // what the display shows now (the flipping chain's front)
// Both expand 5-6-5 to 8-8-8 by repeating the high bits; false on failure.
bool SavePng(const Pixels& pixels, const std::string& path);

// ---- Bitmaps ------------------------------------------------------------------------
// The pixels the layer keeps for a bitmap at any depth GetObjectA reports:
// width x height of 0x00RRGGBB, rows bottom-up; null for no bitmap.
const uint32_t* BitmapPixels(HBITMAP bitmap);

// ---- Kernel ------------------------------------------------------------------------
// Adds (or shadows) a resource of the running module until ResetLayer; data is copied.
void RegisterResource(const char* name, const char* type, const std::vector<uint8_t>& data);
// Everything OutputDebugStringA wrote since the last call (or ResetLayer).
std::string TakeDebugOutput();

// ---- Windows -------------------------------------------------------------------------
int PendingMessages();  // posted messages not yet removed
bool CursorHidden();

}  // namespace layer::test
