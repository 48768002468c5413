#include "platform/layer/testing/pacing_simulation.h"

#include "platform/layer/device/present_pacer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace layer::test {

PacingCounts SimulatePacing(const PacedDisplay& display, std::chrono::seconds length)
{
    using Clock = PresentPacer::Clock;
    using std::chrono::nanoseconds;
    // Refresh k comes at k / trueHz seconds, on the nanosecond below; the
    // rate is kept in millihertz so that a present made exactly at a refresh
    // is shown by that refresh, not the next.
    const int64_t milliHz = std::llround(display.trueHz * 1000);
    constexpr int64_t NS_PER_KILOSECOND = 1'000'000'000'000;
    const auto refreshAt = [milliHz](int64_t k) {
        return Clock::time_point(nanoseconds(k * NS_PER_KILOSECOND / milliHz));
    };
    const auto firstRefreshFrom = [milliHz](Clock::time_point t) {
        const int64_t ns = std::chrono::duration_cast<nanoseconds>(t.time_since_epoch()).count();
        return (ns * milliHz + NS_PER_KILOSECOND - 1) / NS_PER_KILOSECOND;
    };

    PresentPacer pacer(display.reportedHz);
    Clock::time_point now = refreshAt(0);
    pacer.Returned(now);  // the mode switch's present
    PacingCounts counts;
    int64_t previous = -1;
    Clock::time_point presentReturned = now;
    for (int frame = 0; now < Clock::time_point(length); ++frame) {
        now += display.drawing
            + (frame == display.stallFrame ? display.stallPeriods * (refreshAt(1) - refreshAt(0))
                                           : Clock::duration(0));
        const int64_t shown = firstRefreshFrom(now);
        if (previous >= 0 && shown == previous)
            counts.dropped++;
        if (previous >= 0 && shown > previous + 1)
            counts.repeated += static_cast<int>(shown - previous - 1);
        previous = shown;
        const Clock::time_point called = now;
        if (display.presentWaits && (display.freeFromFrame < 0 || frame < display.freeFromFrame))
            now = refreshAt(shown);
        else if (display.imitatedWait.count() > 0)
            now = std::max(now, presentReturned + display.imitatedWait);
        presentReturned = now;
        const Clock::time_point due = pacer.ReturnTime(called, now, true);
        if (due > now) {
            now = due + display.sleepSlack;
            counts.sleeps++;
        }
        pacer.Returned(now);
    }
    return counts;
}

}  // namespace layer::test
