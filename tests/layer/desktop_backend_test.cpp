// The desktop backend: its pacing of presents on a made-up clock, and the
// refusal when there is no display, and a close request. The end-to-end run on Xvfb shows the
// pacing, the keys and the close request for real.
#include "platform/layer/backend.h"
#include "platform/layer/present_pacer.h"
#include "platform/win32.h"

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
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

TEST(PresentPacer, KeepsWaitingPresentsOneRefreshFromTheLatestReturn)
{
    for (auto [hz, period] : {std::pair{60, nanoseconds(16'666'667)}, {144, nanoseconds(6'944'445)},
             {50, nanoseconds(milliseconds(20))}, {0, nanoseconds(16'666'667)},
             {-75, nanoseconds(16'666'667)}})
        EXPECT_EQ(PresentPacer(hz).Period(), period) << hz << " Hz, rounded up; unknown: 60 Hz";

    const PresentPacer::Clock::time_point start{std::chrono::seconds(1000)};
    PresentPacer pacer(50);  // 20 ms
    EXPECT_EQ(pacer.ReturnTime(start, true), start) << "the first present returns at once";
    struct Step {
        microseconds handed;  // after the last return, when the next present came
        bool wait;
        microseconds returns;
    };
    for (Step s : {Step{microseconds(3'000), true, microseconds(20'000)},
             {microseconds(20'000), true, microseconds(20'000)},
             {microseconds(35'000), true, microseconds(35'000)},
             {microseconds(3'000), false, microseconds(3'000)}}) {
        PresentPacer stepped(50);
        stepped.Returned(start);
        EXPECT_EQ(stepped.ReturnTime(start + s.handed, s.wait), start + s.returns)
            << s.handed.count();
    }
    pacer.Returned(start);
    // A present that did not wait (the greeting) is still the one before.
    pacer.Returned(start + milliseconds(5));
    EXPECT_EQ(pacer.ReturnTime(start + milliseconds(6), true), start + milliseconds(25));
    // A late frame moves the schedule: no catching up with quick frames.
    pacer.Returned(start + milliseconds(70));
    EXPECT_EQ(pacer.ReturnTime(start + milliseconds(71), true), start + milliseconds(90));
    pacer.Forget();
    EXPECT_EQ(pacer.ReturnTime(start + milliseconds(72), true), start + milliseconds(72));
}

// Saves the variables that choose SDL's video driver and puts them back.
class VideoEnvironment {
public:
    VideoEnvironment()
    {
        for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
            const char* value = std::getenv(name);
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
    }
    ~VideoEnvironment()
    {
        for (const auto& [name, value] : saved_)
            Set(name.c_str(), value ? value->c_str() : nullptr);
    }
    static void Set(const char* name, const char* value)
    {
        value ? setenv(name, value, 1) : unsetenv(name);
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(SdlBackend, WithoutADisplayRefusesToStartInOneLineAndLeavesNothingHalfStarted)
{
    struct Setting {
        const char *videoDriver, *display, *waylandDisplay;
    };
    // With both kinds named SDL tries each, then falls back to drawing into
    // memory: the backend still refuses.
    for (Setting s :
        {Setting{"nonexistent", nullptr, nullptr}, {nullptr, nullptr, nullptr}, {nullptr, "", ""},
            {nullptr, ":4711", nullptr}, {nullptr, ":4711", "no-such-wayland-display"}}) {
        SCOPED_TRACE(testing::Message()
            << (s.videoDriver ? s.videoDriver : "-") << " " << (s.display ? s.display : "-"));
        VideoEnvironment environment;
        VideoEnvironment::Set("SDL_VIDEODRIVER", s.videoDriver);
        VideoEnvironment::Set("DISPLAY", s.display);
        VideoEnvironment::Set("WAYLAND_DISPLAY", s.waylandDisplay);
        std::string reason;
        std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
        ASSERT_NE(backend, nullptr);
        EXPECT_FALSE(backend->Start(reason));
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(reason.find('\n'), std::string::npos) << "one line: " << reason;
        EXPECT_FALSE(backend->SetDisplayMode(640, 480));
        EXPECT_FALSE(backend->PumpEvents());
        EXPECT_FALSE(backend->KeyHeld(VK_ESCAPE));
        backend->Stop();
        VideoEnvironment::Set("SDL_VIDEODRIVER", "dummy");
        std::unique_ptr<layer::Backend> next = layer::CreateDesktopBackend(reason);
        ASSERT_NE(next, nullptr);
        ASSERT_TRUE(next->Start(reason)) << reason;
        // SDL hands SIGTERM on as a quit, like the window's close button: one
        // close request.
        std::raise(SIGTERM);
        EXPECT_TRUE(next->PumpEvents());
        EXPECT_FALSE(next->PumpEvents());
        next->Stop();
    }
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
