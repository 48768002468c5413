// Runs every benchmark with repetitions in a random interleaving (so that
// a change of load on the machine falls on all of them alike), then prints
// the summary, whose last lines are the ratios and the start-up time.
//   tilescroll_bench [--summary_csv=PATH] [--startup_runs=N] [Google Benchmark options]
#include "bench/registry.h"
#include "bench/startup.h"
#include "bench/summary.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Keeps the console report and records each benchmark's median.
class MedianReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const double micros
                = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e6;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[name] = micros;
            else if (run.run_type == Run::RT_Iteration)
                samples_[name].push_back(micros);
        }
    }

    // Without repetitions there are no aggregates: the median of the runs.
    bench::Medians Medians() const
    {
        bench::Medians result = medians_;
        for (const auto& [name, values] : samples_)
            result.try_emplace(name, bench::Median(values));
        return result;
    }

private:
    bench::Medians medians_;
    std::map<std::string, std::vector<double>> samples_;
};

bool TakeOption(std::vector<char*>& arguments, const char* prefix, std::string& value)
{
    for (auto it = arguments.begin() + 1; it != arguments.end(); ++it) {
        if (std::strncmp(*it, prefix, std::strlen(prefix)) == 0) {
            value = *it + std::strlen(prefix);
            arguments.erase(it);
            return true;
        }
    }
    return false;
}

bool HasOption(const std::vector<char*>& arguments, const char* prefix)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (std::strncmp(arguments[i], prefix, std::strlen(prefix)) == 0)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    const int64_t mainEntry = bench::MonotonicNanoseconds();
    if (argc == 2 && std::strcmp(argv[1], bench::STARTUP_CHILD_OPTION) == 0)
        return bench::RunStartupChild(mainEntry);

    std::vector<char*> arguments(argv, argv + argc);
    std::string csvPath, startupRuns = "15";
    TakeOption(arguments, "--summary_csv=", csvPath);
    TakeOption(arguments, "--startup_runs=", startupRuns);
    static char repetitions[] = "--benchmark_repetitions=12";
    static char aggregatesOnly[] = "--benchmark_display_aggregates_only=true";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char minTime[] = "--benchmark_min_time=0.1";
    if (!HasOption(arguments, "--benchmark_repetitions="))
        arguments.push_back(repetitions);
    if (!HasOption(arguments, "--benchmark_display_aggregates_only="))
        arguments.push_back(aggregatesOnly);
    if (!HasOption(arguments, "--benchmark_enable_random_interleaving="))
        arguments.push_back(interleave);
    if (!HasOption(arguments, "--benchmark_min_time="))
        arguments.push_back(minTime);
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 2;

    // Fresh processes first, before this one has touched anything.
    const bench::StartupSamples startup
        = bench::MeasureFreshStartups(std::atoi(startupRuns.c_str()));

    bench::RegisterFrameBenchmarks();
    bench::RegisterPeerBenchmarks();
    bench::RegisterStartupBenchmarks();
    bench::RegisterPresentBenchmarks();
    bench::RegisterObjectChurnBenchmarks();
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const bench::Medians medians = reporter.Medians();
    if (!csvPath.empty() && !bench::WriteSummaryCsv(medians, startup, csvPath))
        std::fprintf(stderr, "could not write %s\n", csvPath.c_str());
    bench::PrintSummary(medians, startup);
    return 0;
}
