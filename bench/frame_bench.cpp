// The limit a frame is held against (one whole-frame memcpy between two
// buffers, and a memset of the same size), our tile blits as UpdateFrame
// makes them, and the whole UpdateFrame on the headless backend.
#include "bench/registry.h"
#include "bench/scene.h"
#include "mapview/frame.h"
#include "mapview/view_position.h"
#include "platform/layer/ddraw/row_copy.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace bench {
namespace {

void MemcpyFrame(benchmark::State& state)
{
    std::vector<uint8_t> from(FRAME_BYTES, 0x5A);
    std::vector<uint8_t> to(FRAME_BYTES, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), FRAME_BYTES);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * FRAME_BYTES);
}

void MemsetFrame(benchmark::State& state)
{
    std::vector<uint8_t> to(FRAME_BYTES, 0);
    int value = 0;
    for (auto _ : state) {
        std::memset(to.data(), ++value & 0xFF, FRAME_BYTES);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * FRAME_BYTES);
}

void ComposeOurs(benchmark::State& state, ViewCase view, layer::RowCopyPath path)
{
    if (!layer::ForceRowCopyPath(path)) {
        state.SkipWithError("this CPU has no wide row copy");
        return;
    }
    if (!SetUpDisplay()) {
        state.SkipWithError("the display could not be set up");
        return;
    }
    for (auto _ : state) {
        BlitTilePieces(view.viewRight, view.viewBottom);
        benchmark::ClobberMemory();
    }
    state.counters["pieces"] = CountPieces(view.viewRight, view.viewBottom);
    TearDownDisplay();
    layer::ChooseRowCopyPathAutomatically();
}

void WholeFrame(benchmark::State& state, ViewCase view)
{
    if (!SetUpDisplay()) {
        state.SkipWithError("the display could not be set up");
        return;
    }
    // No key is held, so every frame shows this view.
    viewRight = view.viewRight;
    viewBottom = view.viewBottom;
    for (auto _ : state) {
        UpdateFrame();
        benchmark::ClobberMemory();
    }
    state.counters["pieces"] = CountPieces(view.viewRight, view.viewBottom);
    TearDownDisplay();
}

void Legend(benchmark::State& state)
{
    if (!SetUpDisplay()) {
        state.SkipWithError("the display could not be set up");
        return;
    }
    for (auto _ : state) {
        DrawLegend();
        benchmark::ClobberMemory();
    }
    TearDownDisplay();
}

}  // namespace

void RegisterFrameBenchmarks()
{
    benchmark::RegisterBenchmark(MEMCPY_FRAME, MemcpyFrame);
    benchmark::RegisterBenchmark(MEMSET_FRAME, MemsetFrame);
    benchmark::RegisterBenchmark(FRAME_LEGEND, Legend);
    for (const ViewCase& view : {WORST_VIEW, BEST_VIEW}) {
        // Ours as it runs: the path chosen for this CPU.
        benchmark::RegisterBenchmark((std::string(COMPOSE_OURS) + "/" + view.name).c_str(),
            ComposeOurs, view, layer::ActiveRowCopyPath());
        benchmark::RegisterBenchmark((std::string(COMPOSE_OURS_PLAIN) + "/" + view.name).c_str(),
            ComposeOurs, view, layer::RowCopyPath::Plain);
        benchmark::RegisterBenchmark(
            (std::string(FRAME_HEADLESS) + "/" + view.name).c_str(), WholeFrame, view);
    }
}

}  // namespace bench
