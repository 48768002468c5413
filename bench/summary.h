// The comparisons drawn from one run: each benchmark's median time per
// frame, the ratios that matter, and start-up.
#pragma once

#include "bench/startup.h"

#include <map>
#include <string>

namespace bench {

// Median microseconds per iteration, by benchmark name.
using Medians = std::map<std::string, double>;

// Prints the table of medians, the pacing's "repeated_frames_per_minute
// DISPLAY_MODE VALUE" and "dropped_frames_per_minute DISPLAY_MODE VALUE"
// lines and then, as its last lines, one "ratio NAME VALUE" per
// comparison followed by "startup_ms VALUE".
void PrintSummary(const Medians& medians, const StartupSamples& startup);
// name,microseconds lines for the chart; false when the file cannot be written.
bool WriteSummaryCsv(
    const Medians& medians, const StartupSamples& startup, const std::string& path);

double Median(std::vector<double> values);

}  // namespace bench
