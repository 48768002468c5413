// When a present may return: the display's refresh rate kept by the clock,
// for displays that do not hold a present back themselves. Internal to the
// desktop backend; free of SDL so that it can be checked alone.
#pragma once

#include <chrono>

namespace layer {

class PresentPacer {
public:
    using Clock = std::chrono::steady_clock;

    // Taken when the display does not say its refresh rate (X servers
    // without RandR, Xvfb among them).
    static constexpr int FALLBACK_REFRESH_HZ = 60;
    // One refresh at this rate; FALLBACK_REFRESH_HZ for an unknown (0) rate.
    static Clock::duration PeriodOf(int refreshHz);

    explicit PresentPacer(int refreshHz);

    Clock::duration Period() const
    {
        return period_;
    }
    // The earliest moment a present that the display gave back at `now` may
    // return: a waiting present one period after the previous present was
    // due (at once for the first, and at once when the display's own wait
    // has already reached that moment), any other present at once.
    Clock::time_point ReturnTime(Clock::time_point now, bool waitForRefresh) const;
    // A present returned at this moment.
    void Returned(Clock::time_point at);
    // Nothing was presented yet (a new screen).
    void Forget();

private:
    Clock::duration period_;
    bool presented_ = false;
    Clock::time_point due_{};  // when the previous present was due to return
};

}  // namespace layer
