// The desktop backend's pacer driving frames at a simulated display, on a
// simulated clock: how often a refresh shows the frame it showed before, and
// how often a frame is never shown. For the tests and the benchmarks.
#pragma once

#include <chrono>

namespace layer::test {

struct PacingCounts {
    int repeated = 0;  // refreshes that showed the same frame as the one before
    int dropped = 0;  // frames replaced before any refresh showed them
    int sleeps = 0;  // presents the pacer held back
};

struct PacedDisplay {
    double trueHz;  // how often the display really refreshes
    int reportedHz;  // what SDL says of it: whole hertz, 0 when it does not know
    // A present waits for the next refresh (vsync), or returns at once and
    // the display shows the latest frame at each refresh.
    bool presentWaits;
    std::chrono::nanoseconds sleepSlack;  // how late each of the pacer's sleeps wakes
    std::chrono::nanoseconds drawing = std::chrono::milliseconds(1);  // per frame
    int stallFrame = -1;  // this frame takes stallPeriods refreshes longer
    int stallPeriods = 0;
    // From this frame on presents return at once (vsync given up); -1 never.
    int freeFromFrame = -1;
    // Not 0: presents that do not wait for the display wait instead until
    // this long after the previous present returned, as an imitated vsync.
    std::chrono::nanoseconds imitatedWait{0};
};

PacingCounts SimulatePacing(const PacedDisplay& display, std::chrono::seconds length);

}  // namespace layer::test
