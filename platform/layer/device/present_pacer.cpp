#include "platform/layer/device/present_pacer.h"

#include <algorithm>

namespace layer {

namespace {

using Clock = PresentPacer::Clock;

constexpr Clock::duration SECOND
    = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1));

// The period of a rate given in thousandths of a hertz.
constexpr Clock::duration PeriodOfMilliHz(long long milliHz)
{
    return SECOND * 1000 / milliHz;
}

}  // namespace

Clock::duration PresentPacer::PeriodOf(int refreshHz)
{
    const int hertz = refreshHz > 0 ? refreshHz : FALLBACK_REFRESH_HZ;
    // Rounded up: a period a nanosecond short would let frames come sooner
    // than the display shows them.
    return (SECOND + Clock::duration(hertz - 1)) / hertz;
}

PresentPacer::PresentPacer(int reportedHz)
    : reportedHz_(std::max(reportedHz, 0))
    , period_(PeriodOf(reportedHz_))
    ,
    // An eighth of a refresh at the stated rate, or at the fastest common
    // one where none is stated: shorter than any wait for a refresh while
    // the program keeps up, longer than a present that only hands over.
    waitFloor_(PeriodOf(reportedHz_ > 0 ? reportedHz_ : 240) / 8)
{
}

bool PresentPacer::CouldBeDisplay(Clock::duration period) const
{
    if (reportedHz_ > 0) {
        // Whole hertz, rounded (59.94 -> 60) or cut (59.94 -> 59): the true
        // rate lies within half a hertz below and a hertz above. SDL's
        // imitated wait, in whole milliseconds, falls outside.
        return period >= PeriodOfMilliHz(reportedHz_ * 1000LL + 1000)
            && period <= PeriodOfMilliHz(reportedHz_ * 1000LL - 500);
    }
    // No rate stated: any a display may have, except near the fallback,
    // where SDL imitates a wait by whole milliseconds (16 ms) and a real
    // display cannot be told from it; there the clock keeps the fallback.
    const bool nearFallback
        = period >= PeriodOfMilliHz(63'000) && period <= PeriodOfMilliHz(59'000);
    return period >= PeriodOfMilliHz(250'000) && period <= PeriodOfMilliHz(24'000) && !nearFallback;
}

void PresentPacer::MeasureWait(Clock::time_point returned)
{
    ++waitsSeen_;
    // Only intervals between presents that waited one after the other: our
    // own sleeps never come between them unless the waits are judged imitated.
    if (previousWaited_ && waits_ != Waits::Imitated) {
        run_[runLength_++] = returned - previousWaitEnd_;
        if (runLength_ == STEADY_RUN) {
            runLength_ = 0;
            Clock::duration sum{};
            for (Clock::duration interval : run_)
                sum += interval;
            const Clock::duration mean = sum / STEADY_RUN;
            // A refresh is exact; its present returns a little late now and
            // then. A run with a frame that took two refreshes is not steady.
            const Clock::duration tolerance
                = std::max<Clock::duration>(mean / 25, std::chrono::microseconds(250));
            const bool steady
                = std::all_of(run_.begin(), run_.end(), [&](Clock::duration interval) {
                      return interval - mean <= tolerance && mean - interval <= tolerance;
                  });
            if (steady && CouldBeDisplay(mean)) {
                waits_ = Waits::Display;
                period_ = mean;
            } else if (steady && waits_ == Waits::Unjudged) {
                waits_ = Waits::Imitated;
            }
        }
    }
    previousWaited_ = true;
    previousWaitEnd_ = returned;
    if (waits_ == Waits::Unjudged && waitsSeen_ >= UNJUDGED_LIMIT)
        waits_ = Waits::Imitated;
}

Clock::time_point PresentPacer::ReturnTime(
    Clock::time_point called, Clock::time_point returned, bool waitForRefresh)
{
    paced_ = false;
    if (waitForRefresh && returned - called >= waitFloor_) {
        MeasureWait(returned);
        // The display's own wait is the pace; until the waits are judged
        // they are taken for the display's.
        if (waits_ != Waits::Imitated)
            return returned;
    } else {
        previousWaited_ = false;
        runLength_ = 0;
    }
    if (!waitForRefresh)
        return returned;
    paced_ = true;
    if (!presented_)
        return returned;
    return std::max(returned, due_ + period_);
}

void PresentPacer::Returned(Clock::time_point at)
{
    // Each deadline is one period after the one before, not after the moment
    // the sleep ended: a sleep wakes a little late, and counted from the
    // wake-up the lateness adds up until a refresh is missed and a frame
    // shows twice. A present that came early (it did not wait), or more
    // than a period late (a stall), starts the count afresh from its return:
    // catching up would send a burst of frames. So does one the display
    // held back itself.
    const Clock::time_point next = due_ + period_;
    due_ = paced_ && presented_ && at >= next && at - next <= period_ ? next : at;
    presented_ = true;
    paced_ = false;
}

void PresentPacer::Forget()
{
    // A new screen may wait for its refreshes differently.
    *this = PresentPacer(reportedHz_);
}

}  // namespace layer
