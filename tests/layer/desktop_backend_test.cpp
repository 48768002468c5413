// The desktop backend's refusal without a display, close requests and the
// frame's place. The end-to-end run on Xvfb shows the pacing, keys,
// window and close request for real.
#include "platform/layer/device/backend.h"
#include "platform/layer/device/sdl/frame_fit.h"
#include "platform/layer/device/sdl/key_map.h"
#include "platform/win32.h"

#include <array>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
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
    static constexpr const char* NAMES[] = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"};
    VideoEnvironment()
    {
        for (size_t i = 0; i < 3; ++i)
            if (const char* value = std::getenv(NAMES[i]))
                saved_[i] = value;
    }
    ~VideoEnvironment()
    {
        for (size_t i = 0; i < 3; ++i)
            Set(NAMES[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    }
    static void Set(const char* name, const char* value)
    {
        value ? setenv(name, value, 1) : unsetenv(name);
    }

private:
    std::optional<std::string> saved_[3];
};

// With both kinds of display named SDL tries each, then falls back to
// drawing into memory: the backend still refuses, in one line.
TEST(SdlBackend, WithoutADisplayRefusesToStartInOneLineAndLeavesNothingHalfStarted)
{
    VideoEnvironment environment;
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
        EXPECT_FALSE(backend->SetDisplayMode(640, 480) || backend->PumpEvents()
            || backend->KeyHeld(VK_ESCAPE));
        backend->Stop();
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
    std::string reason;
    std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
    ASSERT_TRUE(backend->Start(reason)) << reason;
    const XIOErrorHandler handler = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(handler);
    EXPECT_EXIT(std::thread([&] { handler(nullptr), std::exit(1); }).join(),
        testing::ExitedWithCode(0), "the X server closed the connection; the program ends");
    backend->Stop();
}

// The frame (640 x 480) on screens of other sizes: whole times where it fits,
// else shrunk to fill the narrower side; centred either way.
TEST(FrameFit, WholeTimesWhereItFitsElseAspectKeptAndCentred)
{
    const std::array<int, 6> rows[] = {{640, 480, 0, 0, 640, 480}, {1920, 1080, 320, 60, 1280, 960},
        {2000, 1500, 40, 30, 1920, 1440}, {1279, 959, 319, 239, 640, 480},
        {320, 480, 0, 120, 320, 240}, {640, 240, 160, 0, 320, 240}, {0, 480, 0, 0, 0, 0}};
    for (auto [w, h, x, y, width, height] : rows) {
        const layer::FrameRect r = layer::FitFrame(640, 480, w, h);
        EXPECT_EQ((std::array{r.x, r.y, r.width, r.height}), (std::array{x, y, width, height}))
            << w << "x" << h;
    }
}

// SDL's scancodes are the USB keyboard usages: A 4, 1 30, 0 39, Escape 41, F1
// 58, arrows 79-82, left Ctrl, Shift and Alt 224-226, the right ones 228-230.
TEST(SdlKeyMap, EachVirtualKeyIsItsKeysByPositionAndOthersNone)
{
    const std::array<int, 3> rows[] = {{'A', 4, 0}, {'Z', 29, 0}, {'1', 30, 0}, {'0', 39, 0},
        {VK_ESCAPE, 41, 0}, {0x70, 58, 0}, {0x7B, 69, 0}, {VK_RIGHT, 79, 0}, {VK_LEFT, 80, 0},
        {VK_DOWN, 81, 0}, {VK_UP, 82, 0}, {0x10, 225, 229}, {0x11, 224, 228}, {0x12, 226, 230},
        {0xA1, 229, 0}, {0x0D, 40, 88}, {0x7C, 0, 0}, {'a', 0, 0}, {-1, 0, 0}, {0x141, 0, 0}};
    for (auto [key, first, second] : rows) {
        const layer::KeyScancodes keys = layer::ScancodesForVirtualKey(key);
        EXPECT_EQ(std::pair(keys.first, keys.second), std::pair(first, second)) << key;
    }
}

}  // namespace
