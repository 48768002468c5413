// The desktop backend's present of one 640 x 480 frame (texture upload,
// scaling to the window, present) under SDL's offscreen and dummy video
// drivers, without the wait for the display's refresh.
#include "bench/registry.h"
#include "bench/scene.h"
#include "platform/layer/device/backend.h"
#include "platform/layer/device/sdl/frame_fit.h"
#include "platform/layer/device/sdl/frame_scale.h"
#include "platform/layer/include/rgb565.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace bench {
namespace {

// Starts the desktop backend on one of SDL's screenless drivers; the
// setting the process had is put back when it ends.
class ScreenlessBackend {
public:
    explicit ScreenlessBackend(const char* driver)
    {
        if (const char* before = std::getenv("SDL_VIDEODRIVER"))
            before_ = before;
        setenv("SDL_VIDEODRIVER", driver, 1);
        backend_ = layer::CreateDesktopBackend(reason_);
        if (!backend_ || !backend_->Start(reason_)) {
            backend_.reset();
        } else if (!backend_->SetDisplayMode(SCREEN_WIDTH, SCREEN_HEIGHT)) {
            reason_ = "the display mode could not be set";
            backend_->Stop();
            backend_.reset();
        }
    }
    ~ScreenlessBackend()
    {
        if (backend_)
            backend_->Stop();
        if (before_.empty())
            unsetenv("SDL_VIDEODRIVER");
        else
            setenv("SDL_VIDEODRIVER", before_.c_str(), 1);
    }

    layer::Backend* get() const
    {
        return backend_.get();
    }
    const std::string& reason() const
    {
        return reason_;
    }

private:
    std::string before_;
    std::string reason_;
    std::unique_ptr<layer::Backend> backend_;
};

void PresentSdl(benchmark::State& state, const char* driver)
{
    std::vector<uint16_t> frame;
    if (SetUpDisplay()) {
        BlitTilePieces(WORST_VIEW.viewRight, WORST_VIEW.viewBottom);
        frame = ReadBackBuffer();
    }
    TearDownDisplay();
    ScreenlessBackend backend(driver);
    if (frame.size() != FRAME_PIXELS || backend.get() == nullptr) {
        state.SkipWithError(
            backend.reason().empty() ? "no frame to present" : backend.reason().c_str());
        return;
    }
    // Not waiting for a refresh: the present's own cost, not the display's pace.
    for (auto _ : state)
        backend.get()->Present(frame.data(), SCREEN_WIDTH * 2, SCREEN_WIDTH, SCREEN_HEIGHT, false);
}

// A 1920 x 1080 window of 32-bit pixels, as an X server without a GPU
// gives one; the frame's place in it at twice its size.
constexpr int WINDOW_WIDTH = 1920;
constexpr int WINDOW_HEIGHT = 1080;

// What the backend writes for a frame where the display draws in software:
// the frame scaled by a whole number into the window's pixels (its place
// only; the black around it is drawn once per size).
void PresentWindowPixels(benchmark::State& state)
{
    std::vector<uint16_t> frame;
    if (SetUpDisplay()) {
        BlitTilePieces(WORST_VIEW.viewRight, WORST_VIEW.viewBottom);
        frame = ReadBackBuffer();
    }
    TearDownDisplay();
    if (frame.size() != FRAME_PIXELS) {
        state.SkipWithError("no frame to present");
        return;
    }
    std::vector<uint32_t> colours(65536);
    for (uint32_t p = 0; p < colours.size(); ++p) {
        const layer::Rgb8 c = layer::Widen565(static_cast<uint16_t>(p));
        colours[p] = (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
    }
    std::vector<uint32_t> window(static_cast<size_t>(WINDOW_WIDTH) * WINDOW_HEIGHT);
    const layer::FrameRect fit
        = layer::FitFrame(SCREEN_WIDTH, SCREEN_HEIGHT, WINDOW_WIDTH, WINDOW_HEIGHT);
    for (auto _ : state) {
        layer::ScaleFrame(frame.data(), SCREEN_WIDTH * 2, SCREEN_WIDTH, SCREEN_HEIGHT,
            fit.width / SCREEN_WIDTH, colours.data(), &window[fit.y * WINDOW_WIDTH + fit.x],
            WINDOW_WIDTH * 4, 4);
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
}

// The same bytes (the frame's place in the window) written by memset: the
// floor for any present that writes the scaled frame.
void MemsetWindow(benchmark::State& state)
{
    const layer::FrameRect fit
        = layer::FitFrame(SCREEN_WIDTH, SCREEN_HEIGHT, WINDOW_WIDTH, WINDOW_HEIGHT);
    std::vector<uint32_t> window(static_cast<size_t>(WINDOW_WIDTH) * WINDOW_HEIGHT);
    int value = 0;
    for (auto _ : state) {
        for (int y = 0; y < fit.height; ++y)
            std::memset(&window[(fit.y + y) * WINDOW_WIDTH + fit.x], ++value & 0xFF, fit.width * 4);
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
}

}  // namespace

void RegisterPresentBenchmarks()
{
    benchmark::RegisterBenchmark(PRESENT_WINDOW_PIXELS, PresentWindowPixels);
    benchmark::RegisterBenchmark(MEMSET_WINDOW, MemsetWindow);
    // offscreen: OpenGL through Mesa's software rasteriser; dummy: SDL's own
    // software renderer.
    for (const char* driver : {"offscreen", "dummy"})
        benchmark::RegisterBenchmark(
            (std::string(PRESENT_SDL) + "/" + driver).c_str(), PresentSdl, driver)
            ->UseRealTime();
}

}  // namespace bench
