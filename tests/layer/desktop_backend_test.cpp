// The desktop backend: its pacing of presents on a made-up clock, its
// refusal when there is no display, and a close request. The end-to-end run
// on Xvfb shows the pacing, the keys and the close request for real.
#include "platform/layer/device/backend.h"
#include "platform/layer/device/sdl/present_pacer.h"
#include "platform/win32.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

// SDL's X11 start-up opens a D-Bus connection whose buffers libdbus keeps
// for the process, even when SDL gives up; LeakSanitizer would blame the
// tests that try an unreachable display for them.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace {

using layer::PresentPacer;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

TEST(PresentPacer, KeepsWaitingPresentsOneRefreshFromTheLatestReturn)
{
    for (auto [hz, period] : {std::pair{60, nanoseconds(16'666'667)}, {144, nanoseconds(6'944'445)},
             {50, nanoseconds(milliseconds(20))}, {0, nanoseconds(16'666'667)},
             {-75, nanoseconds(16'666'667)}})
        EXPECT_EQ(PresentPacer(hz).Period(), period) << hz << " Hz, rounded up; unknown: 60 Hz";

    // At 50 Hz, in ms from the start: the returns so far, when the next
    // present is handed over, whether it waits, and when it must return.
    const PresentPacer::Clock::time_point start{std::chrono::seconds(1000)};
    const auto at = [&](int ms) { return start + milliseconds(ms); };
    PresentPacer pacer(50);
    EXPECT_EQ(pacer.ReturnTime(at(0), true), at(0)) << "the first present returns at once";
    struct Step {
        std::vector<int> returned;
        int handed;
        bool wait;
        int returns;
    };
    for (const Step& s : {Step{{0}, 3, true, 20}, {{0}, 20, true, 20}, {{0}, 35, true, 35},
             {{0}, 3, false, 3}, {{0, 5}, 6, true, 25}, {{0, 70}, 71, true, 90}}) {
        PresentPacer stepped(50);
        for (int ms : s.returned)
            stepped.Returned(at(ms));
        EXPECT_EQ(stepped.ReturnTime(at(s.handed), s.wait), at(s.returns)) << s.handed;
    }
    // A present that did not wait (the greeting) still counts as the last
    // return; a late frame moves the schedule, with no catching up.
    pacer.Returned(at(70));
    pacer.Forget();
    EXPECT_EQ(pacer.ReturnTime(at(72), true), at(72));
}

// With both kinds of display named SDL tries each, then falls back to
// drawing into memory: the backend still refuses, in one line.
TEST(SdlBackend, WithoutADisplayRefusesToStartInOneLineAndLeavesNothingHalfStarted)
{
    std::map<std::string, std::optional<std::string>> saved;
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"})
        saved[name]
            = std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
    const auto set = [](const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    };
    for (std::array<const char*, 3> s :
        {std::array<const char*, 3>{"nonexistent", nullptr, nullptr}, {nullptr, nullptr, nullptr},
            {nullptr, "", ""}, {nullptr, ":4711", nullptr},
            {nullptr, ":4711", "no-such-wayland-display"}}) {
        SCOPED_TRACE(testing::Message() << (s[0] ? s[0] : "-") << " " << (s[1] ? s[1] : "-"));
        set("SDL_VIDEODRIVER", s[0]);
        set("DISPLAY", s[1]);
        set("WAYLAND_DISPLAY", s[2]);
        std::string reason;
        std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
        ASSERT_NE(backend, nullptr);
        EXPECT_FALSE(backend->Start(reason));
        EXPECT_TRUE(!reason.empty() && reason.find('\n') == std::string::npos) << reason;
        EXPECT_FALSE(backend->SetDisplayMode(640, 480) || backend->PumpEvents()
            || backend->KeyHeld(VK_ESCAPE));
        backend->Stop();
    }
    // SDL hands SIGTERM on as a quit, like the window's close button: one
    // close request.
    set("SDL_VIDEODRIVER", "dummy");
    std::string reason;
    std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
    ASSERT_TRUE(backend->Start(reason)) << reason;
    std::raise(SIGTERM);
    EXPECT_TRUE(backend->PumpEvents());
    EXPECT_FALSE(backend->PumpEvents());
    backend->Stop();
    for (const auto& [name, value] : saved)
        set(name.c_str(), value ? value->c_str() : nullptr);
}

// Ctrl-C, SIGTERM and a hang-up each make one close request, however often
// they come before the next pump, and whatever the shell left them at, except
// a hang-up that arrives ignored (nohup). Stop gives each signal back what it
// had.
TEST(SdlBackend, CloseSignalsAreOneCloseRequestAndAreGivenBackOnStop)
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
}

}  // namespace
