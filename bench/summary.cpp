#include "bench/summary.h"

#include "bench/registry.h"
#include "platform/layer/testing/pacing_simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace bench {
namespace {

constexpr double MISSING = std::numeric_limits<double>::quiet_NaN();

// The displays the pacing rows report on, each once with vsync and once
// without: true rates SDL rounds to whole hertz or does not know.
struct PacingRow {
    const char* name;
    double trueHz;
    int reportedHz;
};
const PacingRow PACING_ROWS[] = {{"60hz", 60, 60}, {"59.94hz_as_60", 59.94, 60},
    {"59.94hz_as_59", 59.94, 59}, {"60.05hz_as_60", 60.05, 60}, {"60.2hz_as_60", 60.2, 60},
    {"75hz_unknown", 75, 0}, {"120hz", 120, 120}, {"143.98hz_as_144", 143.98, 144},
    {"144.03hz_as_144", 144.03, 144}, {"165hz", 165, 165}, {"240hz", 240, 240}};

double Find(const Medians& medians, const std::string& name)
{
    const auto found = medians.find(name);
    return found == medians.end() ? MISSING : found->second;
}

std::string Case(const char* name, const char* view)
{
    return std::string(name) + "/" + view;
}

// The faster of pixman's two calls: the comparison is with its best.
double Pixman(const Medians& medians, const char* view)
{
    const double blt = Find(medians, Case(COMPOSE_PIXMAN_BLT, view));
    const double composite = Find(medians, Case(COMPOSE_PIXMAN_COMPOSITE, view));
    if (std::isnan(blt))
        return composite;
    if (std::isnan(composite))
        return blt;
    return std::min(blt, composite);
}

}  // namespace

double Median(std::vector<double> values)
{
    if (values.empty())
        return MISSING;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PrintSummary(const Medians& medians, const StartupSamples& startup)
{
    const double memcpyFrame = Find(medians, MEMCPY_FRAME);
    std::printf("\n%-48s %12s %10s\n", "median per frame", "us", "x memcpy");
    for (const auto& [name, micros] : medians)
        std::printf("%-48s %12.2f %10.3f\n", name.c_str(), micros, micros / memcpyFrame);
    std::printf("%-48s %12.2f  (%zu fresh processes)\n", "startup/spawn_to_first_flip",
        Median(startup.fromSpawnMs) * 1000, startup.fromSpawnMs.size());
    std::printf("%-48s %12.2f\n", "startup/main_to_first_flip", Median(startup.fromMainMs) * 1000);
    std::printf(
        "%-48s %12.2f\n", "startup/winmain_to_first_flip", Median(startup.fromWinMainMs) * 1000);
    std::printf("\n");

    const double oursWorst = Find(medians, Case(COMPOSE_OURS, "worst"));
    const double oursBest = Find(medians, Case(COMPOSE_OURS, "best"));
    const struct {
        const char* name;
        double value;
    } ratios[] = {
        {"compose_worst_vs_memcpy", oursWorst / memcpyFrame},
        {"compose_best_vs_memcpy", oursBest / memcpyFrame},
        {"frame_vs_memcpy", Find(medians, Case(FRAME_HEADLESS, "worst")) / memcpyFrame},
        {"sdl_worst_vs_compose", Find(medians, Case(COMPOSE_SDL, "worst")) / oursWorst},
        {"sdl_best_vs_compose", Find(medians, Case(COMPOSE_SDL, "best")) / oursBest},
        {"pixman_worst_vs_compose", Pixman(medians, "worst") / oursWorst},
        {"pixman_best_vs_compose", Pixman(medians, "best") / oursBest},
        {"present_1920x1080_window_vs_memset",
            Find(medians, PRESENT_WINDOW_PIXELS) / Find(medians, MEMSET_WINDOW)},
    };
    // The desktop backend's pacing over a simulated minute, its sleeps waking
    // 55 us late, with a present that waits for the refresh (vsync) and with
    // one that does not (free), on displays whose true rate SDL rounds or
    // does not know: refreshes that show a frame again, and frames that no
    // refresh shows. The target is 0 wherever the display can be followed.
    for (const PacingRow& row : PACING_ROWS)
        for (bool vsync : {true, false}) {
            const layer::test::PacingCounts counts = layer::test::SimulatePacing(
                {row.trueHz, row.reportedHz, vsync, std::chrono::microseconds(55)},
                std::chrono::seconds(60));
            const char* mode = vsync ? "vsync" : "free";
            std::printf("repeated_frames_per_minute %s_%s %d\n", row.name, mode, counts.repeated);
            std::printf("dropped_frames_per_minute %s_%s %d\n", row.name, mode, counts.dropped);
        }
    for (const auto& ratio : ratios)
        std::printf("ratio %s %.3f\n", ratio.name, ratio.value);
    // From the process entry (main, which calls WinMain) of a fresh process;
    // the table above also has the time from the spawn, loader included.
    std::printf("startup_ms %.2f\n", Median(startup.fromMainMs));
    std::fflush(stdout);
}

bool WriteSummaryCsv(const Medians& medians, const StartupSamples& startup, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    std::fprintf(file, "name,microseconds\n");
    for (const auto& [name, micros] : medians)
        std::fprintf(file, "%s,%.3f\n", name.c_str(), micros);
    std::fprintf(file, "startup/spawn_to_first_flip,%.3f\n", Median(startup.fromSpawnMs) * 1000);
    std::fprintf(file, "startup/main_to_first_flip,%.3f\n", Median(startup.fromMainMs) * 1000);
    std::fprintf(
        file, "startup/winmain_to_first_flip,%.3f\n", Median(startup.fromWinMainMs) * 1000);
    return std::fclose(file) == 0;
}

}  // namespace bench
