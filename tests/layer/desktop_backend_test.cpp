// The desktop backend's refusal without a display, close requests, the
// frame's place and what a present shows, read back from SDL's offscreen
// driver, and the keys held. The end-to-end run on Xvfb shows the pacing, keys,
// window and close request for real.
#include "platform/layer/device/backend.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/device/sdl/frame_fit.h"
#include "platform/win32.h"

#include <SDL.h>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>
#include <X11/Xlib.h>

// SDL's X11 start-up opens a D-Bus connection whose buffers libdbus keeps
// for the process, even when SDL gives up; LeakSanitizer would blame the
// tests that try an unreachable display for them.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace {

// The variables that choose SDL's display, put back as they were at the end.
class VideoEnvironment {
public:
    static constexpr const char* NAMES[]
        = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "SDL_RENDER_DRIVER"};
    VideoEnvironment()
    {
        for (size_t i = 0; i < std::size(NAMES); ++i)
            if (const char* value = std::getenv(NAMES[i]))
                saved_[i] = value;
    }
    ~VideoEnvironment()
    {
        for (size_t i = 0; i < std::size(NAMES); ++i)
            Set(NAMES[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    }
    static void Set(const char* name, const char* value)
    {
        value ? setenv(name, value, 1) : unsetenv(name);
    }

private:
    std::optional<std::string> saved_[std::size(NAMES)];
};

// With both kinds of display named SDL tries each, then falls back to
// drawing into memory: the backend still refuses, in one line.
TEST(SdlBackend, WithoutADisplayRefusesToStartInOneLineAndLeavesNothingHalfStarted)
{
    VideoEnvironment environment;
    const XIOErrorHandler xlibs = XSetIOErrorHandler(nullptr);
    for (std::array<const char*, 3> s :
        {std::array<const char*, 3>{"nonexistent", nullptr, nullptr}, {nullptr, nullptr, nullptr},
            {nullptr, "", ""}, {nullptr, ":4711", nullptr},
            {nullptr, ":4711", "no-such-wayland-display"}}) {
        SCOPED_TRACE(testing::Message() << (s[0] ? s[0] : "-") << " " << (s[1] ? s[1] : "-"));
        for (size_t i = 0; i < s.size(); ++i)
            VideoEnvironment::Set(VideoEnvironment::NAMES[i], s[i]);
        std::string reason;
        std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
        ASSERT_NE(backend, nullptr);
        EXPECT_FALSE(backend->Start(reason));
        EXPECT_TRUE(!reason.empty() && reason.find('\n') == std::string::npos) << reason;
        // The one kind of display named is the one the reason names.
        EXPECT_TRUE(!s[1] || !*s[1] || s[2] || reason.find(s[1]) != std::string::npos) << reason;
        EXPECT_FALSE(backend->SetDisplayMode(640, 480) || backend->PumpEvents()
            || backend->KeyHeld(VK_ESCAPE));
        backend->Stop();
        EXPECT_EQ(XSetIOErrorHandler(nullptr), xlibs) << "Xlib's handler put back";
    }
}

// Ctrl-C, SIGTERM and a hang-up each make one close request, however often
// they come before the next pump, and whatever the shell left them at, except
// a hang-up that arrives ignored (nohup). Stop gives each signal back what it
// had. A lost X server ends the program.
TEST(SdlBackendDeathTest, CloseSignalsAskToCloseAndALostXServerEndsTheProgram)
{
    VideoEnvironment environment;
    VideoEnvironment::Set("SDL_VIDEODRIVER", "dummy");
    struct Case {
        int signal;
        bool ignoredBefore;
        bool closes;
    };
    for (Case c : {Case{SIGTERM, false, true}, {SIGINT, false, true}, {SIGHUP, false, true},
             {SIGINT, true, true}, {SIGHUP, true, false}}) {
        SCOPED_TRACE(
            testing::Message() << "signal " << c.signal << (c.ignoredBefore ? ", ignored" : ""));
        const auto before = std::signal(c.signal, c.ignoredBefore ? SIG_IGN : SIG_DFL);
        std::string reason;
        std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
        ASSERT_TRUE(backend->Start(reason)) << reason;
        std::raise(c.signal);
        std::raise(c.signal);
        EXPECT_EQ(backend->PumpEvents(), c.closes);
        EXPECT_FALSE(backend->PumpEvents());
        backend->Stop();
        EXPECT_EQ(std::signal(c.signal, before), c.ignoredBefore ? SIG_IGN : SIG_DFL);
    }
    // The X server's going away ends the program from Xlib's handler, on the
    // thread that found it, as a close does; Xlib would end it with 1 on return.
    const XIOErrorHandler outside = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(outside);
    std::string reason;
    std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
    ASSERT_TRUE(backend->Start(reason)) << reason;
    const XIOErrorHandler handler = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(handler);
    EXPECT_EXIT(std::thread([&] { handler(nullptr), std::exit(1); }).join(),
        testing::ExitedWithCode(0), "the X server closed the connection; the program ends");
    backend->Stop();
    EXPECT_EQ(XSetIOErrorHandler(outside), outside) << "Xlib's handler put back";
}

// TILESCROLL_BACKEND names the headless backend, on a 1024 x 768 desktop, or
// nothing for the desktop's; TILESCROLL_HEADLESS_ESCAPE_AFTER=N holds Escape
// from the headless backend's N-th flip on, and wants a number and that backend.
TEST(BackendChoice, TheSettingsNameTheBackendOrSayWhyNot)
{
    struct Row {
        const char *backend, *escapeAfter;
        bool made;
        int escapeFrom = 0;  // -1: not the headless backend
    };
    for (Row r : {Row{"headless", nullptr, true, 0}, {"headless", "", true, 0},
             {"headless", "2", true, 2}, {"headless", "0", false}, {"headless", "2x", false},
             {"headless", "9999999999", false}, {nullptr, "2", false}, {"", "1", false},
             {"sdl", nullptr, false}, {"", nullptr, true, -1}}) {
        SCOPED_TRACE(testing::Message() << (r.backend ? r.backend : "-") << " "
                                        << (r.escapeAfter ? r.escapeAfter : "-"));
        r.escapeAfter ? setenv("TILESCROLL_HEADLESS_ESCAPE_AFTER", r.escapeAfter, 1)
                      : unsetenv("TILESCROLL_HEADLESS_ESCAPE_AFTER");
        std::string reason;
        const std::unique_ptr<layer::Backend> backend = layer::BackendNamedBy(r.backend, reason);
        EXPECT_EQ(backend != nullptr, r.made);
        EXPECT_EQ(reason.empty(), r.made) << reason;
        if (!backend || r.escapeFrom < 0)
            continue;
        ASSERT_TRUE(backend->Start(reason));
        EXPECT_EQ(std::pair(backend->DesktopSize().width, backend->DesktopSize().height),
            std::pair(1024, 768));
        const uint16_t pixel = 0;
        for (int flips = 0; flips < 4; ++flips, backend->Present(&pixel, 2, 1, 1, true))
            EXPECT_EQ(backend->KeyHeld(VK_ESCAPE), r.escapeFrom > 0 && flips >= r.escapeFrom);
    }
    unsetenv("TILESCROLL_HEADLESS_ESCAPE_AFTER");
}

// The frame (640 x 480) once where it fits once, else shrunk to fill the
// narrower side; centred. More whole times show in the present's read-back.
TEST(FrameFit, WholeTimesWhereItFitsElseAspectKeptAndCentred)
{
    const std::array<int, 6> rows[] = {{640, 480, 0, 0, 640, 480}, {1279, 959, 319, 239, 640, 480},
        {320, 480, 0, 120, 320, 240}, {640, 240, 160, 0, 320, 240}, {0, 480, 0, 0, 0, 0}};
    for (auto [w, h, x, y, width, height] : rows) {
        const layer::FrameRect r = layer::FitFrame(640, 480, w, h);
        EXPECT_EQ((std::array{r.x, r.y, r.width, r.height}), (std::array{x, y, width, height}))
            << w << "x" << h;
    }
}

// What SDL's screen shows now, as 0xRRGGBB: read back from the window's
// renderer, or from the window's surface where the backend draws into it.
struct Shown {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
};
SDL_Window* ShownWindow()
{
    SDL_Window* window = nullptr;
    for (Uint32 id = 1; id < 1000 && window == nullptr; ++id)
        window = SDL_GetWindowFromID(id);
    return window;
}
Shown ShownScreen()
{
    Shown shown;
    SDL_Window* window = ShownWindow();
    if (window == nullptr)
        return shown;
    SDL_Renderer* renderer = SDL_GetRenderer(window);
    SDL_Surface* surface = renderer ? nullptr : SDL_GetWindowSurface(window);
    if (renderer)
        SDL_GetRendererOutputSize(renderer, &shown.width, &shown.height);
    else if (surface)
        shown.width = surface->w, shown.height = surface->h;
    shown.rgb.resize(size_t(shown.width) * shown.height);
    const bool read = renderer
        ? SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, shown.rgb.data(),
              4 * shown.width) == 0
        : surface && SDL_ConvertPixels(shown.width, shown.height, surface->format->format,
                  surface->pixels, surface->pitch, SDL_PIXELFORMAT_RGB888, shown.rgb.data(),
                  4 * shown.width) == 0;
    EXPECT_TRUE(read) << SDL_GetError();
    return shown;
}

// On SDL's offscreen driver, drawn into the window's pixels and through
// SDL's renderer: a frame is shown whole times larger with sharp pixels,
// centred on black, each 5-6-5 channel in its place and each row read at its
// pitch; a mode switch shows black; the window's news that its picture is
// lost draws the frame again; F11 makes a window and back; keys are held by
// their place on the keyboard, and only those.
TEST(SdlBackend, PresentScalesTheFrameSharplyOnBlackAndKeysHoldTheirVirtualKeys)
{
    VideoEnvironment environment;
    VideoEnvironment::Set("SDL_VIDEODRIVER", "offscreen");
    for (bool windowPixels : {true, false}) {
        SCOPED_TRACE(windowPixels ? "window's pixels" : "renderer");
        // Asked by hint, not by the environment, SDL's software renderer is kept.
        VideoEnvironment::Set("SDL_RENDER_DRIVER", windowPixels ? "software" : nullptr);
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        std::string reason;
        std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
        ASSERT_TRUE(backend->Start(reason)) << reason;
        constexpr int W = 160, H = 120, PITCH = W + 3;
        std::vector<uint16_t> frame(PITCH * H, 0xFFFF);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                frame[y * PITCH + x] = uint16_t((x % 32) << 11 | (y % 64) << 5 | (x + 2 * y) % 32);
        // The pixels shown unlike the frame's first w x h pixels; the top bits
        // of each 8-bit channel are the 5-6-5 ones, and black is black.
        const auto wrong = [&](int w, int h, int screenWidth, int screenHeight) {
            const Shown s = ShownScreen();
            EXPECT_EQ(std::pair(s.width, s.height), std::pair(screenWidth, screenHeight));
            const int k = std::min(s.width / w, s.height / h);
            const int left = (s.width - k * w) / 2, top = (s.height - k * h) / 2;
            int wrong = s.width != screenWidth || s.height != screenHeight;
            for (int y = 0; y < s.height; ++y)
                for (int x = 0; x < s.width; ++x) {
                    const bool in = x >= left && x < left + k * w && y >= top && y < top + k * h;
                    const uint16_t p = in ? frame[(y - top) / k * PITCH + (x - left) / k] : 0;
                    wrong += (s.rgb[y * s.width + x] & (in ? 0xF8FCF8 : 0xFFFFFF))
                        != uint32_t((p >> 11) << 19 | ((p >> 5) & 63) << 10 | (p & 31) << 3);
                }
            return wrong;
        };
        const layer::ScreenSize desktop = backend->DesktopSize();
        ASSERT_TRUE(backend->SetDisplayMode(W, H));
        const Shown blank = ShownScreen();
        EXPECT_EQ(
            std::count(blank.rgb.begin(), blank.rgb.end(), 0u), desktop.width * desktop.height);
        backend->Present(frame.data(), 2 * PITCH, W, H, true);
        ASSERT_GE(std::min(desktop.width / W, desktop.height / H), 2) << "no scaling to see";
        EXPECT_EQ(wrong(W, H, desktop.width, desktop.height), 0);
        backend->Present(frame.data(), 2 * W - 2, W, H, true);
        EXPECT_EQ(wrong(W, H, desktop.width, desktop.height), 0);
        // A frame changed in its last pixel only is shown.
        frame[(H - 1) * PITCH + W - 1] ^= 0xFFFF;
        backend->Present(frame.data(), 2 * PITCH, W, H, true);
        EXPECT_EQ(wrong(W, H, desktop.width, desktop.height), 0);
        // White over the picture, then the window's news, then the same frame.
        for (auto [news, redraws] : {std::pair{SDL_WINDOWEVENT_EXPOSED, true},
                 {SDL_WINDOWEVENT_SIZE_CHANGED, true}, {SDL_WINDOWEVENT_SHOWN, true},
                 {SDL_WINDOWEVENT_RESTORED, true}, {SDL_WINDOWEVENT_MOVED, false}}) {
            SDL_Window* window = ShownWindow();
            SDL_Renderer* renderer = SDL_GetRenderer(window);
            renderer
                ? SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255) + SDL_RenderClear(renderer)
                : SDL_FillRect(SDL_GetWindowSurface(window), nullptr, 0xFFFFFFFF);
            SDL_Event event{};
            event.type = SDL_WINDOWEVENT;
            event.window.windowID = SDL_GetWindowID(window);
            event.window.event = Uint8(news);
            SDL_PushEvent(&event);
            EXPECT_FALSE(backend->PumpEvents());
            backend->Present(frame.data(), 2 * PITCH, W, H, true);
            EXPECT_EQ(wrong(W, H, desktop.width, desktop.height) == 0, redraws) << int(news);
        }
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.keysym.scancode = SDL_SCANCODE_F11;
        // F11 to the window and back, the second time with a frame of another
        // size. The window's size is the window manager's business (the Xvfb
        // stage checks it); here the picture must fill whatever the window is.
        for (auto [w, h, fullScreen] : {std::tuple{W, H, false}, {W - 60, H, true}}) {
            SDL_PushEvent(&key);
            EXPECT_FALSE(backend->PumpEvents());
            backend->Present(frame.data(), 2 * PITCH, w, h, false);
            int windowWidth = 0, windowHeight = 0;
            SDL_GetWindowSize(ShownWindow(), &windowWidth, &windowHeight);
            EXPECT_EQ(wrong(w, h, fullScreen ? desktop.width : windowWidth,
                          fullScreen ? desktop.height : windowHeight),
                0);
        }
        // The mode again, in the same window: its black, then the same frame.
        ASSERT_TRUE(backend->SetDisplayMode(W - 60, H));
        backend->Present(frame.data(), 2 * PITCH, W - 60, H, true);
        EXPECT_EQ(wrong(W - 60, H, desktop.width, desktop.height), 0);
        // The virtual-key codes held, as characters: F1 is 'p', Left '%'.
        for (auto [name, held] : {std::pair{"A", "A"}, {"Z", "Z"}, {"1", "1"}, {"9", "9"},
                 {"0", "0"}, {"F1", "p"}, {"F12", "{"}, {"Escape", "\x1b"}, {"Left", "%"},
                 {"Left Shift", "\x10\xa0"}, {"Right Ctrl", "\x11\xa3"}, {"Keypad 1", ""}}) {
            SCOPED_TRACE(name);
            key.key.keysym.scancode = SDL_GetScancodeFromName(name);
            for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
                key.type = type;
                SDL_PushEvent(&key);
                backend->PumpEvents();
                std::string down;
                for (int vk = 0; vk < 256; ++vk)
                    down += backend->KeyHeld(vk) ? std::string(1, char(vk)) : "";
                EXPECT_EQ(down, type == Uint32(SDL_KEYDOWN) ? held : "");
            }
        }
        backend->RestoreDisplayMode();
        EXPECT_EQ(ShownScreen().width, 0) << "the window is gone";
        // A frame too wide for any window is refused in one line, once a run.
        const std::vector<uint16_t> wide(20000);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(backend->SetDisplayMode(20000, 1));
        for (int run = 0; run < 2; ++run, backend->Stop(), backend->Start(reason))
            for (int flip = 0; flip < 2; ++flip)
                backend->Present(wide.data(), 40000, 20000, 1, true);
        const std::string refusals = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::regex_match(refusals,
            std::regex("layer: SetDisplayMode: SDL could not make a window: .+\n"
                       "(layer: Flip: SDL could not make a window: .+\n){2}")))
            << refusals;
        backend->Stop();
        EXPECT_EQ(SDL_WasInit(0), 0u) << "SDL is shut down";
    }
}

}  // namespace
