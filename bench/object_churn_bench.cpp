// Surfaces made and released one after another, 100,000 of them, as a
// program that makes a scratch surface per frame would: the layer's heap
// after them against after the first 1,000. The target is no growth at all.
#include "bench/registry.h"
#include "bench/scene.h"
#include "display/display_state.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <malloc.h>

namespace bench {
namespace {

constexpr int PAIRS = 100000;
constexpr int SETTLED = 1000;

bool MakeAndRelease(IDirectDraw* directDraw)
{
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = desc.dwHeight = 64;
    IDirectDrawSurface* surface = NULL;
    if (directDraw->CreateSurface(&desc, &surface, NULL) != DD_OK)
        return false;
    surface->Release();
    return true;
}

void SurfaceChurn(benchmark::State& state)
{
    if (!SetUpDisplay()) {
        state.SkipWithError("the display could not be set up");
        return;
    }
    double growth = 0;
    for (auto _ : state) {
        size_t settled = 0;
        for (int i = 0; i < PAIRS; ++i) {
            if (i == SETTLED)
                settled = mallinfo2().uordblks;
            if (!MakeAndRelease(DisplayState.DirectDrawObject)) {
                state.SkipWithError("CreateSurface failed");
                break;
            }
        }
        growth = static_cast<double>(mallinfo2().uordblks) - static_cast<double>(settled);
    }
    state.counters["heap_growth_bytes"] = growth;
    TearDownDisplay();
}

}  // namespace

void RegisterObjectChurnBenchmarks()
{
    benchmark::RegisterBenchmark(SURFACE_CHURN, SurfaceChurn)->Iterations(1)->Repetitions(1);
}

}  // namespace bench
