#include "bench/registry.h"
#include "bench/startup.h"
#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {
namespace {

// Runs the program from WinMain's call; returns the nanoseconds to its
// first flip, or -1 when it never flipped.
int64_t WinMainToFirstFlip(int64_t* winMainStart = nullptr)
{
    layer::test::ResetLayer(1024, 768);
    DisplayState = {};
    viewRight = SCREEN_WIDTH;
    viewBottom = SCREEN_HEIGHT;
    int64_t firstFlip = -1;
    layer::test::OnFlip([&firstFlip] {
        if (firstFlip < 0)
            firstFlip = MonotonicNanoseconds();
        layer::test::HoldKey(VK_ESCAPE);
    });
    const int64_t start = MonotonicNanoseconds();
    if (winMainStart != nullptr)
        *winMainStart = start;
    WinMain(GetModuleHandleA(NULL), NULL, const_cast<char*>(""), SW_SHOWDEFAULT);
    layer::test::ResetLayer();
    return firstFlip < 0 ? -1 : firstFlip - start;
}

void StartupWarm(benchmark::State& state)
{
    for (auto _ : state) {
        const int64_t elapsed = WinMainToFirstFlip();
        if (elapsed < 0) {
            state.SkipWithError("the program never flipped");
            break;
        }
        state.SetIterationTime(static_cast<double>(elapsed) * 1e-9);
    }
}

}  // namespace

int64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

int RunStartupChild(int64_t mainEntry)
{
    int64_t winMainStart = 0;
    const int64_t elapsed = WinMainToFirstFlip(&winMainStart);
    if (elapsed < 0)
        return 1;
    std::printf("%lld %lld %lld\n", static_cast<long long>(winMainStart + elapsed),
        static_cast<long long>(mainEntry), static_cast<long long>(winMainStart));
    return 0;
}

StartupSamples MeasureFreshStartups(int count)
{
    StartupSamples samples;
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length <= 0)
        return samples;
    self[length] = '\0';
    char option[sizeof(STARTUP_CHILD_OPTION)];
    std::snprintf(option, sizeof(option), "%s", STARTUP_CHILD_OPTION);
    char* arguments[] = {self, option, nullptr};
    for (int i = 0; i < count; ++i) {
        int output[2];
        if (pipe(output) != 0)
            break;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        pid_t child = 0;
        const int64_t spawned = MonotonicNanoseconds();
        const int failed = posix_spawn(&child, self, &actions, nullptr, arguments, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(output[1]);
        long long flip = 0, mainEntry = 0, winMain = 0;
        FILE* reader = fdopen(output[0], "r");
        const bool read = reader != nullptr
            && std::fscanf(reader, "%lld %lld %lld", &flip, &mainEntry, &winMain) == 3;
        if (reader != nullptr)
            std::fclose(reader);
        else
            close(output[0]);
        int status = 0;
        if (failed == 0)
            waitpid(child, &status, 0);
        if (failed != 0 || !read || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            continue;
        samples.fromSpawnMs.push_back(static_cast<double>(flip - spawned) * 1e-6);
        samples.fromMainMs.push_back(static_cast<double>(flip - mainEntry) * 1e-6);
        samples.fromWinMainMs.push_back(static_cast<double>(flip - winMain) * 1e-6);
    }
    return samples;
}

void RegisterStartupBenchmarks()
{
    benchmark::RegisterBenchmark(STARTUP_WARM, StartupWarm)->UseManualTime();
}

}  // namespace bench
