// The desktop backend on SDL2: a borderless window covering the desktop
// shows the program's display mode scaled with its aspect kept, so the
// desktop's real mode never changes and a crash cannot leave the screen in
// 640 x 480. Alt+Enter and F11 turn the same window into a resizable one and
// back, unseen by the program. Where the display draws in software (no GPU),
// the frame goes straight into the window's pixels, and only when it changed
// and someone can see it. Game controllers hold keys as the keyboard does.
// Ctrl-C, SIGTERM and a hang-up ask the program to close, as the window's
// close button does; so does a Wayland display going away, and an X server's
// going away ends it. With game_pads.cpp, the only file of the layer that
// calls SDL.
#include "platform/layer/device/backend.h"
#include "platform/layer/calls/call_log.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/device/sdl/frame_fit.h"
#include "platform/layer/device/sdl/frame_scale.h"
#include "platform/layer/include/rgb565.h"
#include "platform/layer/device/sdl/game_pads.h"
#include "platform/layer/device/sdl/key_map.h"
#include "platform/layer/device/present_pacer.h"

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
#include <png.h>
#include <string>
#include <thread>
#include <vector>
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

// The class a desktop entry's StartupWMClass names, and Wayland's app_id.
constexpr const char* WINDOW_CLASS = "io.github.tilescroll.tilescroll";

// A new window's allowance for the title bar and borders that the window
// manager adds, before it has them: the window must fit the screen whole.
constexpr int FRAME_ALLOWANCE_WIDTH = 16;
constexpr int FRAME_ALLOWANCE_HEIGHT = 48;

// Whether an OpenGL renderer draws on the processor (Mesa's llvmpipe,
// softpipe, swrast): its GL pipeline then costs far more than writing the
// pixels ourselves. Needs the renderer's context current.
bool RendersInSoftware(SDL_Renderer* renderer)
{
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || info.name == nullptr)
        return false;
    if (std::strcmp(info.name, "software") == 0)
        return true;
    if (std::strncmp(info.name, "opengl", 6) != 0 || SDL_GL_GetCurrentContext() == nullptr)
        return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned int GL_RENDERER_NAME = 0x1F01;
    const char* name = getString ? reinterpret_cast<const char*>(getString(GL_RENDERER_NAME)) : nullptr;
    return name != nullptr
        && (std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe")
            || std::strstr(name, "swrast"));
}

}  // namespace

extern const unsigned char WINDOW_ICON_PNG[];
extern const size_t WINDOW_ICON_PNG_SIZE;

namespace {

// The house on the window, for the title bar, the task bar and a dock; a
// window without it is no failure.
void SetWindowIcon(SDL_Window* window)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, WINDOW_ICON_PNG, WINDOW_ICON_PNG_SIZE))
        return;
    image.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(),
        static_cast<int>(image.width), static_cast<int>(image.height), 32,
        static_cast<int>(PNG_IMAGE_ROW_STRIDE(image)), SDL_PIXELFORMAT_ABGR8888);
    if (icon == nullptr)
        return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

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
    // False for a frame nobody would see, or the same as the one shown.
    bool Draw(const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh);

private:
    // Runs SDL calls that talk to the display, unless it has gone away;
    // false when it is gone.
    template <typename Calls> bool WithDisplay(Calls calls);
    void DisplayLost(const char* how);
    // A window for frames of this size, as windowed_ says.
    bool OpenWindow(const char* operation, int width, int height);
    void CloseWindow();
    // Drops what was known of the window without a call to SDL (which may be
    // gone with the display).
    void ForgetWindow();
    bool FitTexture(int width, int height, const char* operation);
    // Draws into the window's own pixels where the renderer would draw in
    // software; false (the renderer kept) where the window has none.
    bool UseWindowPixels();
    bool DrawIntoWindow(const uint16_t* pixels, int pitchBytes, int width, int height);
    void DrawWithRenderer(
        const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh);
    bool SameAsShown(const uint16_t* pixels, int pitchBytes, int width, int height) const;
    void KeepShown(const uint16_t* pixels, int pitchBytes, int width, int height);
    void ApplyPointer();
    // Makes the window full screen or not, as windowed_ says.
    void ApplyWindowed();
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
    // Drawing into the window's pixels: the surface last drawn into, the
    // table from 5-6-5 to its pixel format, and for which format.
    bool windowPixels_ = false;
    SDL_Surface* surface_ = nullptr;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    std::vector<uint32_t> colours_;
    Uint32 coloursFormat_ = SDL_PIXELFORMAT_UNKNOWN;
    // The frame on the screen, so that the same one is not drawn again;
    // redraw_ when the screen lost it (a new size, an expose, a toggle).
    std::vector<uint16_t> shown_;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    bool redraw_ = true;
    bool noWindowManager_ = false;
    // Without a window manager: where the window goes when not full screen.
    SDL_Rect windowedPlace_{};
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
    // Full screen gives way when another window takes the focus, so that
    // window is never hidden behind the picture.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
    // The window's pixels go to the X server as they are (shared memory),
    // not through SDL's own GL texture, which is what they replace.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The class that ties the window to its desktop entry; set by the user
    // already, it stays.
    setenv("SDL_VIDEO_X11_WMCLASS", WINDOW_CLASS, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", WINDOW_CLASS, 0);
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
    windowed_ = StartInWindow();
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
    ForgetWindow();
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
    if (window_ != nullptr)
        return true;
    // Full screen covers the desktop at its own size: the program's mode is
    // a picture scaled into it, never a mode switch of the real display. The
    // size given is the window's when it is not full screen (Alt+Enter):
    // the largest whole multiple of the frame that fits the room the desktop
    // leaves, title bar included.
    SDL_Rect room{0, 0, desktop_.width, desktop_.height};
    SDL_GetDisplayUsableBounds(0, &room);
    const int times = WindowTimes(
        width, height, room.w, room.h, FRAME_ALLOWANCE_WIDTH, FRAME_ALLOWANCE_HEIGHT);
    const Uint32 flags = SDL_WINDOW_RESIZABLE | (windowed_ ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    windowedPlace_ = {room.x + (room.w - times * width) / 2, room.y + (room.h - times * height) / 2,
        times * width, times * height};
    window_ = SDL_CreateWindow(program_invocation_short_name, SDL_WINDOWPOS_CENTERED,
        SDL_WINDOWPOS_CENTERED, times * width, times * height, flags);
    if (window_ != nullptr)
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer_ == nullptr) {
        Refuse(operation, (std::string("SDL could not make a window: ") + SDL_GetError()).c_str());
        CloseWindow();
        return false;
    }
    vsyncOn_ = true;
    // Smaller, the frame would shrink and its legend blur.
    SDL_SetWindowMinimumSize(window_, width, height);
    SetWindowIcon(window_);
    ApplyPointer();
    SDL_RaiseWindow(window_);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    const bool known = SDL_GetWindowWMInfo(window_, &info) == SDL_TRUE;
    // A Wayland display only marks itself failed when its compositor goes:
    // PumpEvents asks it.
    if (known && info.subsystem == SDL_SYSWM_WAYLAND)
        waylandDisplay_ = info.info.wl.display;
    // Without a window manager nobody makes the window full screen again
    // after Alt+Enter: ApplyWindowed places it itself.
    if (known && info.subsystem == SDL_SYSWM_X11) {
        ::Display* display = info.info.x11.display;
        const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* value = nullptr;
        noWindowManager_ = check == None
            || XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                   AnyPropertyType, &type, &format, &count, &after, &value)
                != Success
            || count == 0;
        if (value != nullptr)
            XFree(value);
    }
    ApplyWindowed();
    redraw_ = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool desktop = driver != nullptr
        && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
    // SDL's screenless drivers keep the renderer unless asked for software,
    // so that a test reads the picture back from it.
    if (desktop ? RendersInSoftware(renderer_) : EnvironmentSet("SDL_RENDER_DRIVER")
                && std::strcmp(std::getenv("SDL_RENDER_DRIVER"), "software") == 0)
        UseWindowPixels();
    return true;
}

bool SdlBackend::UseWindowPixels()
{
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    surface_ = SDL_GetWindowSurface(window_);
    if (surface_ != nullptr && (surface_->format->BytesPerPixel == 4 || surface_->format->BytesPerPixel == 2)) {
        windowPixels_ = true;
        return true;
    }
    // A renderer after all, as without this.
    surface_ = nullptr;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    vsyncOn_ = true;
    return false;
}

void SdlBackend::CloseWindow()
{
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr)
        SDL_DestroyRenderer(renderer_);
    if (window_ != nullptr)
        SDL_DestroyWindow(window_);
    ForgetWindow();
}

void SdlBackend::ForgetWindow()
{
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    surface_ = nullptr;
    windowPixels_ = false;
    textureWidth_ = 0;
    textureHeight_ = 0;
    shown_.clear();
}

bool SdlBackend::FitTexture(int width, int height, const char* operation)
{
    if (windowPixels_) {
        textureWidth_ = width;
        textureHeight_ = height;
        return true;
    }
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
        if (windowPixels_) {
            if (SDL_Surface* surface = SDL_GetWindowSurface(window_)) {
                SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
                SDL_UpdateWindowSurface(window_);
            }
        } else {
            UseVsync(false);
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
            SDL_RenderClear(renderer_);
            SDL_RenderPresent(renderer_);
        }
        shown_.clear();
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
    if (on == vsyncOn_ || renderer_ == nullptr)
        return;
    SDL_RenderSetVSync(renderer_, on ? 1 : 0);
    vsyncOn_ = on;
}

void SdlBackend::Present(
    const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh)
{
    if (!started_ || pixels == nullptr || width <= 0 || height <= 0 || pitchBytes < 2 * width)
        return;
    const PresentPacer::Clock::time_point called = PresentPacer::Clock::now();
    bool shown = false;
    bool unseen = false;
    bool throughRenderer = false;
    WithDisplay([&] {
        // A primary surface shown without a mode switch still needs a window.
        if (window_ == nullptr) {
            if (windowRefused_)
                return;
            if (!OpenScreen("Flip", width, height)) {
                windowRefused_ = true;
                return;
            }
        } else if (!FitTexture(width, height, "Flip")) {
            return;
        }
        shown = true;
        // Minimised or hidden: nothing is drawn, and the pace is kept by the
        // clock below, a refresh a frame.
        unseen = (SDL_GetWindowFlags(window_) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
        if (!unseen)
            throughRenderer = Draw(pixels, pitchBytes, width, height, waitForRefresh)
                && !windowPixels_;
    });
    if (!shown || displayLost_)
        return;
    // Where the display does not hold a present back (no vsync, or vsync
    // that SDL only imitates by the millisecond, as on Xvfb), frames still
    // come one a refresh: the program scrolls a fixed step a frame. Only a
    // present through the renderer can have waited for the display; one
    // drawn into the window's pixels, or not drawn at all (the same frame
    // again, or nobody looks), is paced by the clock alone.
    const PresentPacer::Clock::time_point returned = PresentPacer::Clock::now();
    std::this_thread::sleep_until(pacer_.ReturnTime(
        throughRenderer ? called : returned, returned, waitForRefresh || unseen));
    pacer_.Returned(PresentPacer::Clock::now());
}

bool SdlBackend::Draw(
    const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh)
{
    // The view holds still while no key is held: a frame already on the
    // screen costs nothing to show again.
    if (!redraw_ && SameAsShown(pixels, pitchBytes, width, height))
        return false;
    if (windowPixels_) {
        if (!DrawIntoWindow(pixels, pitchBytes, width, height))
            return false;
    } else {
        DrawWithRenderer(pixels, pitchBytes, width, height, waitForRefresh);
    }
    KeepShown(pixels, pitchBytes, width, height);
    redraw_ = false;
    return true;
}

bool SdlBackend::SameAsShown(const uint16_t* pixels, int pitchBytes, int width, int height) const
{
    if (shown_.empty() || width != shownWidth_ || height != shownHeight_)
        return false;
    const auto* row = reinterpret_cast<const unsigned char*>(pixels);
    for (int y = 0; y < height; ++y, row += pitchBytes)
        if (std::memcmp(row, &shown_[static_cast<size_t>(y) * width], 2 * width) != 0)
            return false;
    return true;
}

void SdlBackend::KeepShown(const uint16_t* pixels, int pitchBytes, int width, int height)
{
    shown_.resize(static_cast<size_t>(width) * height);
    const auto* row = reinterpret_cast<const unsigned char*>(pixels);
    for (int y = 0; y < height; ++y, row += pitchBytes)
        std::memcpy(&shown_[static_cast<size_t>(y) * width], row, 2 * width);
    shownWidth_ = width;
    shownHeight_ = height;
}

void SdlBackend::DrawWithRenderer(
    const uint16_t* pixels, int pitchBytes, int width, int height, bool waitForRefresh)
{
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
}

bool SdlBackend::DrawIntoWindow(const uint16_t* pixels, int pitchBytes, int width, int height)
{
    // The surface is made anew when the window's size changes.
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr)
        return false;
    const bool whole = redraw_ || surface != surface_ || surface->w != surfaceWidth_
        || surface->h != surfaceHeight_;
    surface_ = surface;
    surfaceWidth_ = surface->w;
    surfaceHeight_ = surface->h;
    if (coloursFormat_ != surface->format->format) {
        colours_.resize(65536);
        for (uint32_t p = 0; p < colours_.size(); ++p) {
            const Rgb8 c = Widen565(static_cast<uint16_t>(p));
            colours_[p] = SDL_MapRGB(surface->format, c.red, c.green, c.blue);
        }
        coloursFormat_ = surface->format->format;
    }
    const FrameRect fit = FitFrame(width, height, surface->w, surface->h);
    const SDL_Rect place{fit.x, fit.y, fit.width, fit.height};
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return false;
    // Black around the frame once per size or expose, not every frame.
    if (whole)
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    const int times = fit.width / width;
    bool drawn = false;
    if (times >= 1 && fit.width == times * width && fit.height == times * height) {
        const int bytes = surface->format->BytesPerPixel;
        drawn = ScaleFrame(pixels, pitchBytes, width, height, times, colours_.data(),
            static_cast<unsigned char*>(surface->pixels) + static_cast<size_t>(fit.y) * surface->pitch
                + static_cast<size_t>(fit.x) * bytes,
            surface->pitch, bytes);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    if (!drawn) {
        // A screen smaller than the frame: SDL shrinks it.
        SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint16_t*>(pixels),
            width, height, 16, pitchBytes, SDL_PIXELFORMAT_RGB565);
        if (frame == nullptr)
            return false;
        SDL_Rect target = place;
        SDL_BlitScaled(frame, nullptr, surface, &target);
        SDL_FreeSurface(frame);
    }
    return (whole ? SDL_UpdateWindowSurface(window_) : SDL_UpdateWindowSurfaceRects(window_, &place, 1))
        == 0;
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
            if (event.type == SDL_WINDOWEVENT
                && (event.window.event == SDL_WINDOWEVENT_EXPOSED
                    || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED
                    || event.window.event == SDL_WINDOWEVENT_SHOWN
                    || event.window.event == SDL_WINDOWEVENT_RESTORED))
                redraw_ = true;
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
    // The same window throughout: SDL's key state stays, so a held key's
    // auto-repeat stays a repeat, and the window keeps the size and place
    // the user gave it.
    windowed_ = !windowed_;
    ApplyWindowed();
    ApplyPointer();
    redraw_ = true;
}

void SdlBackend::ApplyWindowed()
{
    const bool wasWindowed = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) == 0;
    if (noWindowManager_ && wasWindowed && !windowed_) {
        SDL_GetWindowPosition(window_, &windowedPlace_.x, &windowedPlace_.y);
        SDL_GetWindowSize(window_, &windowedPlace_.w, &windowedPlace_.h);
    }
    SDL_SetWindowFullscreen(window_, windowed_ ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!noWindowManager_)
        return;
    // Asking for full screen, or for the window back, is asking the window
    // manager; without one the window moves itself, as one would move it.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
        return;
    const SDL_Rect place = windowed_ ? windowedPlace_ : SDL_Rect{0, 0, desktop_.width, desktop_.height};
    XMoveResizeWindow(info.info.x11.display, info.info.x11.window, place.x, place.y,
        static_cast<unsigned>(place.w), static_cast<unsigned>(place.h));
    XFlush(info.info.x11.display);
}

void SdlBackend::ApplyPointer()
{
    // In a window the pointer is the desktop's: it shows over it. Full
    // screen, it is as the program asked.
    SDL_ShowCursor(windowed_ || pointerVisible_ ? SDL_ENABLE : SDL_DISABLE);
}

void SdlBackend::ShowPointer(bool visible)
{
    pointerVisible_ = visible;
    if (started_)
        WithDisplay([&] { ApplyPointer(); });
}

}  // namespace

std::unique_ptr<Backend> CreateDesktopBackend(std::string& /*reason*/)
{
    return std::make_unique<SdlBackend>();
}

}  // namespace layer
