// The desktop backend: its pacing of presents on a made-up clock, the same
// pacing on SDL's screenless video driver, the refusal when there is no
// display, close requests, and which SDL keys stand for which virtual keys.
#include "platform/layer/backend.h"
#include "platform/layer/present_pacer.h"
#include "platform/layer/sdl_key_map.h"
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

TEST(SdlBackend, WaitingPresentsComeOneRefreshApartAndSigtermIsOneCloseRequest)
{
    VideoEnvironment environment;
    VideoEnvironment::Set("SDL_VIDEODRIVER", "dummy");
    std::string reason;
    std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
    ASSERT_NE(backend, nullptr) << reason;
    ASSERT_TRUE(backend->Start(reason)) << reason;
    EXPECT_FALSE(backend->SetDisplayMode(0, 480));
    // Frames of the desktop's own size: the dummy driver copies them without
    // scaling, fast enough for the pacing to show; rows padded as surfaces'.
    const layer::ScreenSize desktop = backend->DesktopSize();
    ASSERT_TRUE(backend->SetDisplayMode(desktop.width, desktop.height));
    const int pitch = (desktop.width + 16) * 2;
    std::vector<uint16_t> frame(static_cast<size_t>(pitch / 2) * desktop.height, 0xF800);
    using Clock = std::chrono::steady_clock;
    const auto present = [&](bool wait) {
        backend->Present(frame.data(), pitch, desktop.width, desktop.height, wait);
        return Clock::now();
    };
    const Clock::time_point start = present(false);
    for (int i = 0; i < 8; ++i)
        present(false);
    // SDL's dummy driver states no refresh rate: 60 Hz is taken.
    const std::chrono::duration<double, std::milli> period(1000.0 / 60.0);
    if ((Clock::now() - start) / 8 > period / 2)
        GTEST_SKIP() << "a bare present takes half a period here: a missing pace would not show";
    // The greeting's kind of present first: the flips after it keep their
    // distance from it too. Only a lower bound: a busy machine is later.
    Clock::time_point last = present(false);
    for (int i = 0; i < 12; ++i) {
        const Clock::time_point next = present(true);
        const std::chrono::duration<double, std::milli> gap = next - last;
        EXPECT_GE(gap.count(), period.count() * 0.9) << i;
        last = next;
    }
    std::raise(SIGTERM);  // SDL hands it on as a quit, like the close button
    EXPECT_TRUE(backend->PumpEvents());
    EXPECT_FALSE(backend->PumpEvents());
    backend->RestoreDisplayMode();
    backend->Stop();
    EXPECT_FALSE(backend->SetDisplayMode(640, 480)) << "stopped";
    ASSERT_TRUE(backend->Start(reason)) << "starts again: " << reason;
    backend->Stop();
}

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
        EXPECT_TRUE(next->Start(reason)) << reason;
        next->Stop();
    }
}

TEST(SdlKeyMap, NamesTheUsbKeyOfEachVirtualKeyAndNoKeyTwice)
{
    // SDL's scancodes are the USB HID keyboard usage IDs.
    struct Key {
        int virtualKey, usage, otherUsage;
    };
    for (Key k : {Key{VK_ESCAPE, 41, 0}, {VK_LEFT, 80, 0}, {VK_UP, 82, 0}, {VK_RIGHT, 79, 0},
             {VK_DOWN, 81, 0}, {0x0D, 40, 88},  // Enter, or keypad Enter
             {0x10, 225, 229},  // left or right Shift
             {'A', 4, 0}, {'Z', 29, 0}, {'1', 30, 0}, {'9', 38, 0},
             {'0', 39, 0},  // HID puts 0 after 9, Win32 before 1
             {0x70, 58, 0}, {0x7B, 69, 0}, {-1, 0, 0}, {0, 0, 0}, {256, 0, 0}, {0x07, 0, 0}}) {
        const layer::KeyScancodes keys = layer::ScancodesForVirtualKey(k.virtualKey);
        EXPECT_EQ(keys.first, k.usage) << k.virtualKey;
        EXPECT_EQ(keys.second, k.otherUsage) << k.virtualKey;
    }
    std::map<int, int> owner;
    for (int key = 0; key < 256; ++key) {
        if (key >= 0x10 && key <= 0x12)
            continue;  // VK_SHIFT, VK_CONTROL, VK_MENU stand for a left and a right key
        const layer::KeyScancodes keys = layer::ScancodesForVirtualKey(key);
        for (int scancode : {keys.first, keys.second})
            EXPECT_TRUE(scancode == 0 || owner.emplace(scancode, key).second) << scancode;
    }
    EXPECT_GE(owner.size(), 5u + 26u + 10u + 12u);
}

}  // namespace
