// The desktop backend on SDL's screenless video driver: starting and
// stopping, refusing when there is no display, the pacing of presents and
// close requests.
#include "platform/layer/backend.h"
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

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// SDL's dummy driver says nothing of a refresh rate, so the backend paces at
// the 60 Hz it takes for an unknown display.
constexpr Milliseconds UNKNOWN_DISPLAY_PERIOD{1000.0 / 60.0};

constexpr int MODE_WIDTH = 640;
constexpr int MODE_HEIGHT = 480;

// Saves the variables that choose SDL's video driver and puts them back.
class VideoEnvironment {
public:
    VideoEnvironment()
    {
        for (const char* name : NAMES) {
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
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

private:
    static constexpr const char* NAMES[] = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"};
    std::map<std::string, std::optional<std::string>> saved_;
};

class SdlBackend : public testing::Test {
protected:
    void SetUp() override
    {
        VideoEnvironment::Set("SDL_VIDEODRIVER", "dummy");
        std::string reason;
        backend_ = layer::CreateDesktopBackend(reason);
        ASSERT_NE(backend_, nullptr) << reason;
        ASSERT_TRUE(backend_->Start(reason)) << reason;
    }
    void TearDown() override
    {
        if (backend_)
            backend_->Stop();
    }

    // Frames with a row pitch wider than their rows, as surfaces have.
    void UseMode(int width, int height)
    {
        width_ = width;
        height_ = height;
        pitchBytes_ = (width + 16) * 2;
        frame_.assign(static_cast<size_t>(pitchBytes_ / 2) * height, 0xF800);
    }
    void PresentFrames(int count, bool wait, std::vector<Clock::time_point>* returns = nullptr)
    {
        for (int i = 0; i < count; ++i) {
            backend_->Present(frame_.data(), pitchBytes_, width_, height_, wait);
            if (returns)
                returns->push_back(Clock::now());
        }
    }

    VideoEnvironment environment_;
    std::unique_ptr<layer::Backend> backend_;
    int width_ = 0;
    int height_ = 0;
    int pitchBytes_ = 0;
    std::vector<uint16_t> frame_;
};

TEST_F(SdlBackend, TakesModesOneAfterAnother)
{
    const layer::ScreenSize desktop = backend_->DesktopSize();
    EXPECT_GT(desktop.width, 0);
    EXPECT_GT(desktop.height, 0);
    EXPECT_FALSE(backend_->SetDisplayMode(0, MODE_HEIGHT));
    EXPECT_FALSE(backend_->SetDisplayMode(MODE_WIDTH, -1));
    ASSERT_TRUE(backend_->SetDisplayMode(MODE_WIDTH, MODE_HEIGHT));
    UseMode(MODE_WIDTH, MODE_HEIGHT);
    PresentFrames(2, false);
    // A second program's mode, after the first was given back.
    backend_->RestoreDisplayMode();
    backend_->RestoreDisplayMode();
    ASSERT_TRUE(backend_->SetDisplayMode(320, 240));
    backend_->RestoreDisplayMode();
}

TEST_F(SdlBackend, StartsAgainAfterStop)
{
    ASSERT_TRUE(backend_->SetDisplayMode(MODE_WIDTH, MODE_HEIGHT));
    backend_->Stop();
    backend_->Stop();
    EXPECT_FALSE(backend_->SetDisplayMode(MODE_WIDTH, MODE_HEIGHT)) << "stopped";
    std::string reason;
    ASSERT_TRUE(backend_->Start(reason)) << reason;
    EXPECT_TRUE(backend_->SetDisplayMode(MODE_WIDTH, MODE_HEIGHT));
}

// Frames of the desktop's own size: the dummy driver then copies them without
// scaling, fast enough for the pacing to show against the cost of a present.
// The parameter: whether a mode is set first, or the frames go to a primary
// surface of a program that never switched modes.
class SdlBackendPacing : public SdlBackend, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        SdlBackend::SetUp();
        const layer::ScreenSize desktop = backend_->DesktopSize();
        if (GetParam()) {
            ASSERT_TRUE(backend_->SetDisplayMode(desktop.width, desktop.height));
        }
        UseMode(desktop.width, desktop.height);
    }
    // Where a bare present takes half a period already, a missing pace could
    // not be seen, and the test would prove nothing.
    void SkipWhenPresentsAreSlow()
    {
        constexpr int COUNT = 8;
        PresentFrames(1, false);  // opens the window where no mode did
        const Clock::time_point start = Clock::now();
        PresentFrames(COUNT, false);
        const Milliseconds each = (Clock::now() - start) / COUNT;
        if (each > UNKNOWN_DISPLAY_PERIOD / 2)
            GTEST_SKIP() << "a present alone takes " << each.count() << " ms here";
    }
};

TEST_P(SdlBackendPacing, WaitingPresentsComeOneRefreshPeriodApart)
{
    SkipWhenPresentsAreSlow();
    // The greeting's kind of present first: the flips after it keep their
    // distance from it too.
    std::vector<Clock::time_point> returns;
    PresentFrames(1, false, &returns);
    PresentFrames(12, true, &returns);
    // Only a lower bound: a busy machine makes presents later, never sooner.
    for (size_t i = 1; i < returns.size(); ++i) {
        const Milliseconds gap = returns[i] - returns[i - 1];
        EXPECT_GE(gap.count(), UNKNOWN_DISPLAY_PERIOD.count() * 0.9) << "present " << i;
    }
    const Milliseconds total = returns.back() - returns.front();
    EXPECT_GE(total.count(), UNKNOWN_DISPLAY_PERIOD.count() * 0.9 * (returns.size() - 1));
}

INSTANTIATE_TEST_SUITE_P(
    Screens, SdlBackendPacing, testing::Bool(), [](const testing::TestParamInfo<bool>& info) {
        return info.param ? "AfterAModeSwitch" : "WithoutAModeSwitch";
    });

TEST_F(SdlBackend, ReportsATerminationSignalAsOneCloseRequest)
{
    // SDL hands SIGTERM to the program as a quit event, the same as a press
    // of the window's close button.
    std::raise(SIGTERM);
    EXPECT_TRUE(backend_->PumpEvents());
    EXPECT_FALSE(backend_->PumpEvents());
}

// ---- Refusals
// ---------------------------------------------------------------------

struct NoDisplayCase {
    const char* name;
    const char* videoDriver;
    const char* display;
    const char* waylandDisplay;
};

class SdlBackendWithoutDisplay : public testing::TestWithParam<NoDisplayCase> {
protected:
    VideoEnvironment environment_;
};

TEST_P(SdlBackendWithoutDisplay, RefusesToStartAndSaysWhy)
{
    const NoDisplayCase& setting = GetParam();
    VideoEnvironment::Set("SDL_VIDEODRIVER", setting.videoDriver);
    VideoEnvironment::Set("DISPLAY", setting.display);
    VideoEnvironment::Set("WAYLAND_DISPLAY", setting.waylandDisplay);
    std::string reason;
    std::unique_ptr<layer::Backend> backend = layer::CreateDesktopBackend(reason);
    ASSERT_NE(backend, nullptr);
    EXPECT_FALSE(backend->Start(reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find('\n'), std::string::npos) << "one line: " << reason;
    EXPECT_FALSE(backend->SetDisplayMode(MODE_WIDTH, MODE_HEIGHT));
    EXPECT_FALSE(backend->PumpEvents());
    EXPECT_FALSE(backend->KeyHeld(VK_ESCAPE));
    backend->Stop();

    // Nothing of SDL is left half started: a screenless driver starts now.
    VideoEnvironment::Set("SDL_VIDEODRIVER", "dummy");
    std::unique_ptr<layer::Backend> next = layer::CreateDesktopBackend(reason);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->Start(reason)) << reason;
    next->Stop();
}

INSTANTIATE_TEST_SUITE_P(Settings, SdlBackendWithoutDisplay,
    testing::Values(NoDisplayCase{"UnknownDriver", "nonexistent", nullptr, nullptr},
        NoDisplayCase{"NoDisplayNamed", nullptr, nullptr, nullptr},
        NoDisplayCase{"EmptyDisplayNames", nullptr, "", ""},
        NoDisplayCase{"UnreachableXDisplay", nullptr, ":4711", nullptr},
        // With both kinds named SDL tries each, then falls back to drawing
        // into memory.
        NoDisplayCase{"UnreachableDisplays", nullptr, ":4711", "no-such-wayland-display"}),
    [](const testing::TestParamInfo<NoDisplayCase>& info) { return info.param.name; });

}  // namespace
