// The desktop backend on SDL2: a borderless window covering the desktop
// shows the program's display mode scaled with its aspect kept, so the
// desktop's real mode never changes and a crash cannot leave the screen in
// 640 x 480. Alt+Enter and F11 turn it into a resizable window and back,
// unseen by the program. Game controllers hold keys as the keyboard does.
// Ctrl-C, SIGTERM and a hang-up ask the program to close, as the window's
// close button does; so does a Wayland display going away, and an X server's
// going away ends it. With game_pads.cpp, the only file of the layer that
// calls SDL.
#include "platform/layer/device/backend.h"
#include "platform/layer/calls/call_log.h"
#include "platform/layer/device/sdl/frame_fit.h"
#include "platform/layer/device/sdl/game_pads.h"
#include "platform/layer/device/sdl/key_map.h"
#include "platform/layer/device/sdl/present_pacer.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <errno.h>
#include <string>
#include <thread>
#include <wayland-client-core.h>

namespace layer {
namespace {

bool EnvironmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// Without this SDL quietly falls back to its offscreen driver, and the
// program would run with nothing to show for it.
bool ScreenlessDriver(const char* driver)
{
    return driver != nullptr
        && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Set by the signal handler, taken by PumpEvents: a signal handler may do
// no more than this.
volatile std::sig_atomic_t closeSignalled = 0;

void OnCloseSignal(int /*signal*/)
{
    closeSignalled = 1;
}

// The signals that ask the program to close, and what they did before.
struct CloseSignal {
    int number;
    struct sigaction previous;
    bool caught;
};
CloseSignal closeSignals[] = {{SIGINT, {}, false}, {SIGTERM, {}, false}, {SIGHUP, {}, false}};

// SIGINT is caught even where it arrives ignored: a shell ignores it for the
// jobs it starts in the background, and the program would then outlive a
// kill -INT with the screen still taken. A hang-up ignored on entry stays
// ignored: that is what nohup promises.
void CatchCloseSignals()
{
    closeSignalled = 0;
    for (CloseSignal& s : closeSignals) {
        struct sigaction action { };
        action.sa_handler = OnCloseSignal;
        sigemptyset(&action.sa_mask);
        // Restarted, so that no read of the display's connection fails half way.
        action.sa_flags = SA_RESTART;
        s.caught = sigaction(s.number, nullptr, &s.previous) == 0
            && !(s.number == SIGHUP && s.previous.sa_handler == SIG_IGN)
            && sigaction(s.number, &action, nullptr) == 0;
    }
}

void ReleaseCloseSignals()
{
    for (CloseSignal& s : closeSignals) {
        if (s.caught)
            sigaction(s.number, &s.previous, nullptr);
        s.caught = false;
    }
}

// A broken connection to the X server: Xlib calls its process-wide handler
// from inside whichever call found it, on whichever thread, holding the
// connection's lock, and ends the process if the handler returns. SDL and the
// GL driver under it cannot go on without their replies, and no frame of
// theirs may be left by a jump, so the program cannot close its own way. The
// handler ends it there, with the status of a close once the backend has
// started (the display going away asks the program to close), of a failure
// before.
std::atomic<bool> backendStarted{false};

int OnXConnectionLost(Display* /*display*/)
{
    std::fputs("layer: the X server closed the connection; the program ends\n", stderr);
    std::_Exit(backendStarted ? EXIT_SUCCESS : EXIT_FAILURE);
}

class SdlBackend final : public Backend {
public:
    ~SdlBackend() override
    {
        Stop();
    }

    bool Start(std::string& reason) override;
    void Stop() override;
    ScreenSize DesktopSize() const override;
    bool SetDisplayMode(int width, int height) override;
    void RestoreDisplayMode() override;
    void Present(const uint16_t* pixels, int pitchBytes, int width, int height,
        bool waitForRefresh) override;
    bool PumpEvents() override;
    bool KeyHeld(int virtualKey) const override;
    void ShowPointer(bool visible) override;

private:
    // Runs SDL calls that talk to the display, unless it has gone away;
    // false when it is gone.
    template <typename Calls> bool WithDisplay(Calls calls);
    void DisplayLost(const char* how);
    // A window for frames of this size, as windowed_ says.
    bool OpenWindow(const char* operation, int width, int height);
    void CloseWindow();
    bool FitTexture(int width, int height, const char* operation);
    // The window and its picture for frames of this size; on failure neither.
    bool OpenScreen(const char* operation, int width, int height);
    void UseVsync(bool on);
    // Alt+Enter or F11 on this key event (auto-repeats included).
    static bool TogglesWindow(const SDL_KeyboardEvent& key);
    void ToggleWindow();

    bool started_ = false;
    ScreenSize desktop_{};
    PresentPacer pacer_{0};
    bool pointerVisible_ = true;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool vsyncOn_ = true;
    bool windowRefused_ = false;
    bool windowed_ = false;
    // The keys down as the program sees them: SDL's key events, less the
    // keys of a window toggle, which stay hidden until released. Kept from
    // the events rather than read from SDL's keyboard state, which holds
    // them too.
    bool held_[SDL_NUM_SCANCODES] = {};
    GamePads pads_;

    // Once the display has gone, SDL is not called again: its calls would
    // wait on it for ever, or go wrong.
    bool displayLost_ = false;
    bool lossTaken_ = false;
    wl_display* waylandDisplay_ = nullptr;
    XIOErrorHandler previousXHandler_ = nullptr;
};

template <typename Calls> bool SdlBackend::WithDisplay(Calls calls)
{
    if (displayLost_)
        return false;
    calls();
    return !displayLost_;
}

void SdlBackend::DisplayLost(const char* how)
{
    if (displayLost_)
        return;
    displayLost_ = true;
    // Before the start the reason goes with the refusal to start.
    if (started_)
        std::fprintf(
            stderr, "layer: the display is gone (%s); the program is asked to close\n", how);
}

bool SdlBackend::Start(std::string& reason)
{
    if (started_)
        return true;
    const bool driverChosen = EnvironmentSet("SDL_VIDEODRIVER");
    std::string displayName;
    if (!driverChosen) {
        const bool x11 = EnvironmentSet("DISPLAY");
        const bool wayland = EnvironmentSet("WAYLAND_DISPLAY");
        if (!x11 && !wayland) {
            reason = "no display to show on: DISPLAY and WAYLAND_DISPLAY are unset";
            return false;
        }
        // Only the kind of display the session names is tried, so a missing
        // one fails with its own error instead of another library's noise.
        if (x11 != wayland) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, x11 ? "x11" : "wayland");
            displayName = std::string(" ") + std::getenv(x11 ? "DISPLAY" : "WAYLAND_DISPLAY");
        }
    }
    // Sharp pixels for the tiles and the bitmap font.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // The close signals are ours (CatchCloseSignals), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    previousXHandler_ = XSetIOErrorHandler(OnXConnectionLost);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        XSetIOErrorHandler(previousXHandler_);
        reason = "SDL could not open the display" + displayName + ": " + SDL_GetError();
        SDL_Quit();
        return false;
    }
    // Without game controllers (no joystick devices to read) the keyboard
    // still serves: their absence is no failure.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driverChosen && ScreenlessDriver(driver)) {
        reason
            = std::string("SDL found no display to show on, only its ") + driver + " video driver";
        SDL_Quit();
        XSetIOErrorHandler(previousXHandler_);
        return false;
    }
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) {
        reason = std::string("SDL could not read the desktop's mode: ") + SDL_GetError();
        SDL_Quit();
        XSetIOErrorHandler(previousXHandler_);
        return false;
    }
    desktop_ = {desktop.w, desktop.h};
    pacer_ = PresentPacer(desktop.refresh_rate);
    CatchCloseSignals();
    started_ = true;
    backendStarted = true;
    return true;
}

void SdlBackend::Stop()
{
    if (!started_)
        return;
    ReleaseCloseSignals();
    pads_.CloseAll();
    // With the display gone SDL is left as it is: the process is ending, and
    // takes SDL's memory with it.
    WithDisplay([&] {
        CloseWindow();
        SDL_Quit();
    });
    XSetIOErrorHandler(previousXHandler_);
    backendStarted = false;
    window_ = nullptr;
    renderer_ = nullptr;
    texture_ = nullptr;
    waylandDisplay_ = nullptr;
    started_ = false;
    windowRefused_ = false;
    windowed_ = false;
    std::fill(std::begin(held_), std::end(held_), false);
}

ScreenSize SdlBackend::DesktopSize() const
{
    return desktop_;
}

bool SdlBackend::OpenWindow(const char* operation, int width, int height)
{
    if (renderer_ != nullptr)
        return true;
    // Covers the desktop at its own size: the program's mode is a picture
    // scaled into it, never a mode switch of the real display. A window
    // (Alt+Enter) is twice the frame where the desktop has room, else as
    // much of that as it holds.
    ScreenSize size = desktop_;
    Uint32 flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALWAYS_ON_TOP;
    if (windowed_) {
        SDL_Rect room{0, 0, desktop_.width, desktop_.height};
        SDL_GetDisplayUsableBounds(0, &room);
        // FitFrame would enlarge it again by whole times on a big desktop.
        const FrameRect fit = FitFrame(2 * width, 2 * height, room.w, room.h);
        size = {std::clamp(fit.width, 1, 2 * width), std::clamp(fit.height, 1, 2 * height)};
        flags = SDL_WINDOW_RESIZABLE;
    }
    window_ = SDL_CreateWindow(program_invocation_short_name, SDL_WINDOWPOS_CENTERED,
        SDL_WINDOWPOS_CENTERED, size.width, size.height, flags);
    if (window_ != nullptr)
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer_ == nullptr) {
        Refuse(operation, (std::string("SDL could not make a window: ") + SDL_GetError()).c_str());
        CloseWindow();
        return false;
    }
    vsyncOn_ = true;
    SDL_ShowCursor(pointerVisible_ ? SDL_ENABLE : SDL_DISABLE);
    SDL_RaiseWindow(window_);
    // A Wayland display only marks itself failed when its compositor goes:
    // PumpEvents asks it.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_WAYLAND)
        waylandDisplay_ = info.info.wl.display;
    return true;
}

void SdlBackend::CloseWindow()
{
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr)
        SDL_DestroyRenderer(renderer_);
    if (window_ != nullptr)
        SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    textureWidth_ = 0;
    textureHeight_ = 0;
}

bool SdlBackend::FitTexture(int width, int height, const char* operation)
{
    if (texture_ != nullptr && textureWidth_ == width && textureHeight_ == height)
        return true;
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(
        renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture_ == nullptr) {
        Refuse(operation,
            (std::string("SDL could not make the screen's picture: ") + SDL_GetError()).c_str());
        textureWidth_ = 0;
        textureHeight_ = 0;
        return false;
    }
    textureWidth_ = width;
    textureHeight_ = height;
    return true;
}

bool SdlBackend::OpenScreen(const char* operation, int width, int height)
{
    if (OpenWindow(operation, width, height) && FitTexture(width, height, operation))
        return true;
    CloseWindow();
    return false;
}

bool SdlBackend::SetDisplayMode(int width, int height)
{
    if (!started_ || width <= 0 || height <= 0)
        return false;
    bool switched = false;
    WithDisplay([&] {
        if (!OpenScreen("SetDisplayMode", width, height))
            return;
        // A mode switch blanks the screen.
        UseVsync(false);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderPresent(renderer_);
        switched = true;
    });
    if (displayLost_)
        return false;
    pacer_.Returned(PresentPacer::Clock::now());
    return switched;
}

void SdlBackend::RestoreDisplayMode()
{
    WithDisplay([&] { CloseWindow(); });
    pacer_.Forget();
}

void SdlBackend::UseVsync(bool on)
{
    if (on == vsyncOn_)
        return;
    SDL_RenderSetVSync(renderer_, on ? 1 : 0);
    vsyncOn_ = on;
}

void SdlBackend::Present(
    const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh)
{
    if (!started_ || pixels == nullptr || width <= 0 || height <= 0 || pitchBytes < 2 * width)
        return;
    bool shown = false;
    WithDisplay([&] {
        // A primary surface shown without a mode switch still needs a window.
        if (renderer_ == nullptr) {
            if (windowRefused_)
                return;
            if (!OpenScreen("Flip", width, height)) {
                windowRefused_ = true;
                return;
            }
        } else if (!FitTexture(width, height, "Flip")) {
            return;
        }
        SDL_UpdateTexture(texture_, nullptr, pixels, pitchBytes);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        int screenWidth = 0;
        int screenHeight = 0;
        SDL_GetRendererOutputSize(renderer_, &screenWidth, &screenHeight);
        const FrameRect fit = FitFrame(width, height, screenWidth, screenHeight);
        const SDL_Rect place{fit.x, fit.y, fit.width, fit.height};
        SDL_RenderCopy(renderer_, texture_, nullptr, &place);
        UseVsync(waitForRefresh);
        SDL_RenderPresent(renderer_);
        shown = true;
    });
    if (!shown || displayLost_)
        return;
    // Where the display does not hold a present back (no vsync, or vsync
    // that SDL only imitates by the millisecond, as on Xvfb), frames still
    // come at the display's rate: the program scrolls a fixed step a frame.
    // With real vsync the present has waited already and this sleeps not at
    // all.
    const PresentPacer::Clock::time_point due
        = pacer_.ReturnTime(PresentPacer::Clock::now(), waitForRefresh);
    std::this_thread::sleep_until(due);
    pacer_.Returned(PresentPacer::Clock::now());
}

bool SdlBackend::PumpEvents()
{
    if (!started_)
        return false;
    // A close signal ends the run the program's own way, with its screen
    // given back, as the window's close button does.
    bool closeRequested = closeSignalled != 0;
    closeSignalled = 0;
    WithDisplay([&] {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            if (event.type == SDL_QUIT
                || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE))
                closeRequested = true;
            pads_.Take(event);
            if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP)
                continue;
            const SDL_Scancode key = event.key.keysym.scancode;
            if (key < 0 || key >= SDL_NUM_SCANCODES)
                continue;
            const bool toggles = event.type == SDL_KEYDOWN && TogglesWindow(event.key);
            // A hidden key's repeats stay hidden too, even once Alt is let go.
            held_[key]
                = event.type == SDL_KEYDOWN && !toggles && (event.key.repeat == 0 || held_[key]);
            if (toggles && (event.key.keysym.mod & KMOD_ALT) != 0)
                held_[SDL_SCANCODE_LALT] = held_[SDL_SCANCODE_RALT] = false;
            if (toggles && event.key.repeat == 0)
                ToggleWindow();
        }
        if (waylandDisplay_ != nullptr && wl_display_get_error(waylandDisplay_) != 0)
            DisplayLost("the Wayland compositor closed the connection");
    });
    // The display's loss is one close request; after it, nothing more comes.
    if (displayLost_ && !lossTaken_) {
        lossTaken_ = true;
        closeRequested = true;
    }
    return closeRequested;
}

bool SdlBackend::KeyHeld(int virtualKey) const
{
    // Keys held when the display went away are not held for ever.
    if (!started_ || displayLost_)
        return false;
    const KeyScancodes keys = ScancodesForVirtualKey(virtualKey);
    auto down = [&](int scancode) {
        return scancode > 0 && scancode < SDL_NUM_SCANCODES && held_[scancode];
    };
    return down(keys.first) || down(keys.second) || pads_.Holds(virtualKey);
}

bool SdlBackend::TogglesWindow(const SDL_KeyboardEvent& key)
{
    const SDL_Scancode code = key.keysym.scancode;
    return code == SDL_SCANCODE_F11
        || ((code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER)
            && (key.keysym.mod & KMOD_ALT) != 0);
}

void SdlBackend::ToggleWindow()
{
    if (window_ == nullptr)
        return;
    // A new window rather than the old one changed: without a window
    // manager (Xvfb) SDL cannot make a shown window full screen again. The
    // program's next frame fills it.
    windowed_ = !windowed_;
    const int width = textureWidth_;
    const int height = textureHeight_;
    CloseWindow();
    windowRefused_ = !OpenScreen("Flip", width, height);
}

void SdlBackend::ShowPointer(bool visible)
{
    pointerVisible_ = visible;
    if (started_)
        WithDisplay([&] { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); });
}

}  // namespace

std::unique_ptr<Backend> CreateDesktopBackend(std::string& /*reason*/)
{
    return std::make_unique<SdlBackend>();
}

}  // namespace layer
