#include "platform/layer/testing/pacing_simulation.h"

#include "platform/layer/device/sdl/present_pacer.h"

#include <cstdint>

namespace layer::test {

PacingCounts SimulatePacing(const PacedDisplay& display, std::chrono::seconds length)
{
    using Clock = PresentPacer::Clock;
    using std::chrono::nanoseconds;
    // Refresh k comes at k / refreshHz seconds exactly; the pacer's period is
    // that, rounded up to its clock's tick.
    const int64_t hz = display.refreshHz;
    const auto refreshAt
        = [hz](int64_t k) { return Clock::time_point(nanoseconds(k * 1'000'000'000 / hz)); };
    const auto firstRefreshFrom = [hz](Clock::time_point t) {
        const int64_t ns = std::chrono::duration_cast<nanoseconds>(t.time_since_epoch()).count();
        return (ns * hz + 999'999'999) / 1'000'000'000;
    };

    PresentPacer pacer(display.refreshHz);
    Clock::time_point now = refreshAt(0);
    pacer.Returned(now);  // the mode switch's present
    PacingCounts counts;
    int64_t previous = -1;
    for (int frame = 0; now < Clock::time_point(length); ++frame) {
        now += display.drawing
            + (frame == display.stallFrame ? display.stallPeriods * pacer.Period()
                                           : Clock::duration(0));
        const int64_t shown = firstRefreshFrom(now);
        if (previous >= 0 && shown == previous)
            counts.dropped++;
        if (previous >= 0 && shown > previous + 1)
            counts.repeated += static_cast<int>(shown - previous - 1);
        previous = shown;
        if (display.presentWaits)
            now = refreshAt(shown);
        const Clock::time_point due = pacer.ReturnTime(now, true);
        if (due > now)
            now = due + display.sleepSlack;
        pacer.Returned(now);
    }
    return counts;
}

}  // namespace layer::test
