// Start-up to the first flip on the headless backend, measured in fresh
// processes of the benchmark program itself (so nothing is warm) and, for
// comparison, repeatedly within one process.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

// The option that makes the benchmark program a start-up child.
constexpr char STARTUP_CHILD_OPTION[] = "--startup-child";

// Steady clock, shared by parent and child processes.
int64_t MonotonicNanoseconds();

// In the child: WinMain on the headless backend until its first flip, then
// Escape ends the run. Prints the first flip's, main's and WinMain's start
// times on standard output; returns the exit code.
int RunStartupChild(int64_t mainEntry);

struct StartupSamples {
    std::vector<double> fromSpawnMs;  // process spawn to the first flip
    std::vector<double> fromMainMs;  // main's first line to the first flip
    std::vector<double> fromWinMainMs;  // WinMain's call to the first flip
};
// Spawns `count` children of this program one after another.
StartupSamples MeasureFreshStartups(int count);

}  // namespace bench
