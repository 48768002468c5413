// The desktop backend's present of one 640 x 480 frame (texture upload,
// scaling to the window, present) under SDL's offscreen and dummy video
// drivers, without the wait for the display's refresh.
#include "bench/registry.h"
#include "bench/scene.h"
#include "platform/layer/device/backend.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
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

}  // namespace

void RegisterPresentBenchmarks()
{
    // offscreen: OpenGL through Mesa's software rasteriser; dummy: SDL's own
    // software renderer.
    for (const char* driver : {"offscreen", "dummy"})
        benchmark::RegisterBenchmark(
            (std::string(PRESENT_SDL) + "/" + driver).c_str(), PresentSdl, driver)
            ->UseRealTime();
}

}  // namespace bench
