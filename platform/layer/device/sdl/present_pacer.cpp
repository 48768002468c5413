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
    return std::max(now, lastReturn_ + period_);
}

void PresentPacer::Returned(Clock::time_point at)
{
    presented_ = true;
    lastReturn_ = at;
}

void PresentPacer::Forget()
{
    presented_ = false;
}

}  // namespace layer
