// The desktop backend's pacing against simulated displays for one minute,
// its sleeps waking 55 microseconds late: each refresh shows a new frame.
#include "platform/layer/testing/pacing_simulation.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using layer::test::PacedDisplay;
using layer::test::PacingCounts;
using layer::test::SimulatePacing;

PacingCounts Minute(const PacedDisplay& display)
{
    return SimulatePacing(display, 60s);
}

TEST(PresentPacer, APresentThatWaitsForTheDisplayIsThePace)
{
    // True rates SDL rounds to whole hertz (or cuts, 59.94 -> 59), or does
    // not know: the present's own wait keeps every refresh, with no sleep.
    for (auto [trueHz, reportedHz] : {std::pair{60.0, 60}, {59.94, 59}, {59.94, 60}, {60.05, 60},
             {60.2, 60}, {75.0, 0}, {120.0, 0}, {143.98, 144}, {144.03, 144}, {240.0, 240}}) {
        const PacingCounts counts = Minute({trueHz, reportedHz, true, 55us});
        EXPECT_EQ(counts.repeated, 0) << trueHz << " Hz, stated " << reportedHz;
        EXPECT_EQ(counts.dropped, 0) << trueHz << " Hz, stated " << reportedHz;
        EXPECT_EQ(counts.sleeps, 0) << trueHz << " Hz, stated " << reportedHz;
    }
}

TEST(PresentPacer, FreePresentsKeepThePeriodMeasuredWhileTheyWaited)
{
    // vsync given up after ten seconds: the clock goes on at the true rate
    // the waits showed, not at the stated or fallback one.
    for (auto [trueHz, reportedHz] :
        {std::pair{60.05, 60}, {59.94, 59}, {75.0, 0}, {143.98, 144}, {240.0, 240}}) {
        PacedDisplay display{trueHz, reportedHz, true, 55us};
        display.freeFromFrame = static_cast<int>(trueHz * 10);
        const PacingCounts counts = Minute(display);
        EXPECT_EQ(counts.repeated, 0) << trueHz << " Hz, stated " << reportedHz;
        EXPECT_EQ(counts.dropped, 0) << trueHz << " Hz, stated " << reportedHz;
    }
}

TEST(PresentPacer, AnImitatedWaitIsPacedByTheClock)
{
    // SDL's stand-in for vsync waits whole milliseconds: 16 ms would show
    // frames at 62.5 Hz on a 60 Hz display, 6 ms at 167 on a 144 Hz one.
    for (auto [hz, reportedHz, wait] :
        {std::tuple{60, 60, 16ms}, {60, 0, 16ms}, {144, 144, 6ms}, {75, 75, 13ms}}) {
        PacedDisplay display{double(hz), reportedHz, false, 55us};
        display.imitatedWait = wait;
        const PacingCounts counts = Minute(display);
        EXPECT_EQ(counts.repeated, 0) << hz << " Hz, stated " << reportedHz;
        // Until the waits are judged, a few frames come at the imitation's rate.
        EXPECT_LE(counts.dropped, 1) << hz << " Hz, stated " << reportedHz;
    }
}

TEST(PresentPacer, ShowsEachFrameOnceAndNoBurstAfterAStall)
{
    // The 600th frame takes `stall` refreshes longer.
    for (auto [hz, presentWaits, stall] : {std::tuple{60, false, 0}, {144, false, 0},
             {165, false, 0}, {144, false, 30}, {60, true, 30}}) {
        SCOPED_TRACE(
            testing::Message() << hz << " Hz, waits " << presentWaits << ", stall " << stall);
        const PacingCounts counts = Minute({double(hz), hz, presentWaits, 55us, 1ms, 600, stall});
        // A stall shows the frame before it through the refreshes it takes,
        // no more; the frames after it come one a refresh, not in a burst
        // (the late one itself may be overtaken by the next).
        EXPECT_LE(counts.repeated, stall);
        EXPECT_GE(counts.repeated, stall * 9 / 10);
        EXPECT_LE(counts.dropped, stall > 0 ? 1 : 0);
    }
}

}  // namespace
