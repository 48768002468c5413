#include "platform/layer/device/sdl/present_pacer.h"

#include <algorithm>

namespace layer {

PresentPacer::Clock::duration PresentPacer::PeriodOf(int refreshHz)
{
    const int hertz = refreshHz > 0 ? refreshHz : FALLBACK_REFRESH_HZ;
    // Rounded up: a period a nanosecond short would let frames come sooner
    // than the display shows them.
    const auto second = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1));
    return (second + Clock::duration(hertz - 1)) / hertz;
}

PresentPacer::PresentPacer(int refreshHz)
    : period_(PeriodOf(refreshHz))
{
}

PresentPacer::Clock::time_point PresentPacer::ReturnTime(
    Clock::time_point now, bool waitForRefresh) const
{
    if (!waitForRefresh || !presented_)
        return now;
    return std::max(now, due_ + period_);
}

void PresentPacer::Returned(Clock::time_point at)
{
    // Each deadline is one period after the one before, not after the moment
    // the sleep ended: a sleep wakes a little late, and counted from the
    // wake-up the lateness adds up until a refresh is missed and a frame
    // shows twice. A present that came early (it did not wait), or more
    // than a period late (a stall), starts the count afresh from its return:
    // catching up would send a burst of frames.
    const Clock::time_point next = due_ + period_;
    due_ = presented_ && at >= next && at - next <= period_ ? next : at;
    presented_ = true;
}

void PresentPacer::Forget()
{
    presented_ = false;
}

}  // namespace layer
