// The screen as the emulated platform sees it: which backend serves the
// process, the display mode in force, and the frames shown. Internal.
#pragma once

#include "platform/layer/device/backend.h"

#include <cstdint>
#include <memory>
#include <string>

namespace layer {

// The process's backend, chosen and started on first use: the headless one
// when TILESCROLL_BACKEND is "headless", the desktop one when it is unset or
// empty. Never a silent fallback from one to the other. Null when it could
// not start; BackendFailure() then says why. With TILESCROLL_HEADLESS_ESCAPE_AFTER=N
// the headless one holds Escape from its N-th flip on.
Backend* ActiveBackend();
// The backend that a TILESCROLL_BACKEND setting (null: unset) names, not yet
// started; null with the reason for a setting that names none.
std::unique_ptr<Backend> BackendNamedBy(const char* setting, std::string& reason);
// The backend if one has started, without starting one.
Backend* RunningBackend();
const std::string& BackendFailure();

// Stops the process's backend and puts this one, started, in its place
// (the tests' ResetLayer). The display is back in the desktop's mode.
void InstallBackend(std::unique_ptr<Backend> backend);

struct ScreenMode {
    int width;
    int height;
    int bitsPerPixel;
};
// The mode set by a program, else the desktop's own. A desktop is taken to
// run at 32 bits per pixel; {0, 0, 0} when no backend can start.
ScreenMode CurrentScreenMode();
// False when the backend cannot show the mode.
bool SwitchDisplayMode(int width, int height, int bitsPerPixel);
void RestoreDesktopMode();

// Shows a frame of 16-bit 5-6-5 pixels on the backend.
void PresentFrame(
    const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh);
// The frame last presented to a backend that reads its pixels later, while
// it may still do so; null otherwise.
extern const uint16_t* presentedPixels;
void HandOverPresentedPixels();
// Surface memory is about to be written or freed: when it holds that frame,
// the backend takes its pixels first. Every write to surface memory comes
// through here; inline, as every blit makes it.
inline void SurfaceMemoryChanging(const uint16_t* memory)
{
    if (memory != nullptr && memory == presentedPixels)
        HandOverPresentedPixels();
}
void CountFlip();
int FlipsSinceReset();

// Whether the desktop backend opens its window as a window rather than full
// screen: the process's choice at start (--window), read when a backend
// starts.
void SetStartInWindow(bool inWindow);
bool StartInWindow();

}  // namespace layer
