#include "platform/layer/device/screen.h"

#include "platform/layer/device/headless/headless_backend.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace layer {
namespace {

// A desktop's own colour depth; only a program's 16-bit modes are drawn into.
constexpr int DESKTOP_BITS_PER_PIXEL = 32;

struct ScreenState {
    std::unique_ptr<Backend> backend;
    bool started = false;
    bool tried = false;
    std::string failure;
    bool programMode = false;
    ScreenMode mode{};
    int flips = 0;

    ~ScreenState()
    {
        // The desktop gets its mode back even when the program never
        // released its DirectDraw object.
        if (backend && started)
            backend->Stop();
    }
};

ScreenState& State()
{
    static ScreenState state;
    return state;
}

// TILESCROLL_HEADLESS_ESCAPE_AFTER=N: the headless backend holds Escape from
// its N-th flip on, so that the whole program runs to its end where no test
// controls reach it (an installed program, run by the test command). True when
// unset; false, with the reason, for anything but a number from 1, or for the
// switch with any other backend (headless null).
bool TakeHeadlessEscape(HeadlessBackend* headless, std::string& reason)
{
    const char* setting = std::getenv("TILESCROLL_HEADLESS_ESCAPE_AFTER");
    if (setting == nullptr || setting[0] == '\0')
        return true;
    char* end = nullptr;
    errno = 0;
    const long flip = std::strtol(setting, &end, 10);
    if (headless == nullptr || *end != '\0' || errno != 0 || flip < 1 || flip > INT_MAX) {
        reason = std::string("TILESCROLL_HEADLESS_ESCAPE_AFTER=") + setting
            + " needs TILESCROLL_BACKEND=headless and a number of frames from 1";
        return false;
    }
    headless->HoldEscapeFromFlip(static_cast<int>(flip));
    return true;
}

}  // namespace

const uint16_t* presentedPixels = nullptr;

namespace {
bool startInWindow = false;
}  // namespace

void SetStartInWindow(bool inWindow)
{
    startInWindow = inWindow;
}

bool StartInWindow()
{
    return startInWindow;
}

std::unique_ptr<Backend> BackendNamedBy(const char* setting, std::string& reason)
{
    if (setting == nullptr || setting[0] == '\0')
        return TakeHeadlessEscape(nullptr, reason) ? CreateDesktopBackend(reason) : nullptr;
    if (std::strcmp(setting, "headless") == 0) {
        auto headless = std::make_unique<HeadlessBackend>(1024, 768);
        return TakeHeadlessEscape(headless.get(), reason) ? std::move(headless) : nullptr;
    }
    reason = std::string("TILESCROLL_BACKEND=") + setting
        + " names no backend (\"headless\", or unset for the desktop)";
    return nullptr;
}

Backend* ActiveBackend()
{
    ScreenState& state = State();
    if (!state.tried) {
        state.tried = true;
        std::string reason;
        std::unique_ptr<Backend> backend
            = BackendNamedBy(std::getenv("TILESCROLL_BACKEND"), reason);
        if (backend && backend->Start(reason)) {
            state.backend = std::move(backend);
            state.started = true;
        } else {
            state.failure = reason.empty() ? "the backend did not start" : reason;
        }
    }
    return state.started ? state.backend.get() : nullptr;
}

Backend* RunningBackend()
{
    ScreenState& state = State();
    return state.started ? state.backend.get() : nullptr;
}

const std::string& BackendFailure()
{
    return State().failure;
}

void InstallBackend(std::unique_ptr<Backend> backend)
{
    ScreenState& state = State();
    if (state.backend && state.started)
        state.backend->Stop();
    state.backend.reset();
    state.started = false;
    state.tried = true;
    state.failure.clear();
    state.programMode = false;
    state.flips = 0;
    presentedPixels = nullptr;
    std::string reason;
    if (backend && backend->Start(reason)) {
        state.backend = std::move(backend);
        state.started = true;
    } else {
        state.failure = reason.empty() ? "no backend was given" : reason;
    }
}

ScreenMode CurrentScreenMode()
{
    ScreenState& state = State();
    if (state.programMode)
        return state.mode;
    Backend* backend = ActiveBackend();
    if (backend == nullptr)
        return {0, 0, 0};
    const ScreenSize desktop = backend->DesktopSize();
    return {desktop.width, desktop.height, DESKTOP_BITS_PER_PIXEL};
}

bool SwitchDisplayMode(int width, int height, int bitsPerPixel)
{
    Backend* backend = ActiveBackend();
    if (backend == nullptr || !backend->SetDisplayMode(width, height))
        return false;
    ScreenState& state = State();
    state.programMode = true;
    state.mode = {width, height, bitsPerPixel};
    // The switch blanked the screen; no frame is held any more.
    presentedPixels = nullptr;
    return true;
}

void RestoreDesktopMode()
{
    ScreenState& state = State();
    if (!state.programMode)
        return;
    state.programMode = false;
    if (Backend* backend = RunningBackend())
        backend->RestoreDisplayMode();
}

void PresentFrame(
    const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh)
{
    presentedPixels = nullptr;
    if (Backend* backend = RunningBackend()) {
        // Set before the call: a test's flip hook may draw on the screen
        // (or replace the backend) while the frame is being shown.
        if (backend->ReadsPixelsLater())
            presentedPixels = pixels;
        backend->Present(pixels, pitchBytes, width, height, waitForRefresh);
    }
}

void HandOverPresentedPixels()
{
    presentedPixels = nullptr;
    if (Backend* backend = RunningBackend())
        backend->PixelsChanging();
}

void CountFlip()
{
    ++State().flips;
}

int FlipsSinceReset()
{
    return State().flips;
}

}  // namespace layer
