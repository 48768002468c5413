// The fuzz targets' verdict: any problem an entry point found is a finding.
// The lines go to the sanitizers' report channel, which libFuzzer keeps open
// when it silences the target's standard error (-close_fd_mask=2).
#pragma once

#include "fuzz/entry_points.h"

#include <cstdlib>
#include <sanitizer/common_interface_defs.h>
#include <string>

namespace bmpentry {

inline void AbortOnProblems(const Problems& problems, const char* entry)
{
    if (problems.empty())
        return;
    for (const std::string& problem : problems)
        __sanitizer_report_error_summary((std::string(entry) + ": " + problem).c_str());
    std::abort();
}

}  // namespace bmpentry
