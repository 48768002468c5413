// When a present may return to the program. A present that waited for the
// display's refresh has its pace already; one that returns at once is held
// back by the clock to one a refresh, at the display's period: measured from
// the presents that waited where the stated rate is rounded to whole hertz
// or missing. Free of any device library, so that a backend and the pacing
// simulation can both use it.
#pragma once

#include <array>
#include <chrono>

namespace layer {

class PresentPacer {
public:
    using Clock = std::chrono::steady_clock;

    // Taken when the display does not say its refresh rate (X servers
    // without RandR, Xvfb among them) and no present has shown it.
    static constexpr int FALLBACK_REFRESH_HZ = 60;
    // One refresh at this rate; FALLBACK_REFRESH_HZ for an unknown (0) rate.
    static Clock::duration PeriodOf(int refreshHz);

    // `reportedHz`: the rate the display states, in whole hertz; 0 unknown.
    explicit PresentPacer(int reportedHz);

    // The period the clock keeps to when presents return at once.
    Clock::duration Period() const
    {
        return period_;
    }
    // A present called at `called` came back at `returned`: the earliest
    // moment it may return to the program. At once when the program did
    // not ask to wait, when the present itself waited for the display's
    // refresh, or for the first present; else one period after the previous
    // present was due.
    Clock::time_point ReturnTime(
        Clock::time_point called, Clock::time_point returned, bool waitForRefresh);
    // A present returned to the program at this moment.
    void Returned(Clock::time_point at);
    // Nothing was presented yet (a new screen).
    void Forget();

private:
    // Whether the presents that wait keep the display's own refreshes, or
    // only imitate a wait (SDL's by the millisecond where the driver has no
    // vsync): judged from a run of steady intervals between them.
    enum class Waits { Unjudged, Display, Imitated };
    static constexpr int STEADY_RUN = 8;  // intervals that make a judgement
    static constexpr int UNJUDGED_LIMIT = 240;  // waiting presents before giving up

    void MeasureWait(Clock::time_point returned);
    bool CouldBeDisplay(Clock::duration period) const;

    int reportedHz_;
    Clock::duration period_;
    Clock::duration waitFloor_;  // a present this long waited for something
    Waits waits_ = Waits::Unjudged;
    int waitsSeen_ = 0;
    bool previousWaited_ = false;
    Clock::time_point previousWaitEnd_{};
    std::array<Clock::duration, STEADY_RUN> run_{};
    int runLength_ = 0;
    bool paced_ = false;  // the present being returned was held back by the clock
    bool presented_ = false;
    Clock::time_point due_{};  // when the previous present was due to return
};

}  // namespace layer
