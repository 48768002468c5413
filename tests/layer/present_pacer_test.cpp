// The desktop backend's pacing against simulated displays for one minute,
// its sleeps waking 55 microseconds late: each refresh shows a new frame.
#include "platform/layer/testing/pacing_simulation.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using layer::test::PacedDisplay;
using layer::test::PacingCounts;

TEST(PresentPacer, EachRefreshShowsANewFrameWhateverThePresentsDo)
{
    struct Row {
        double trueHz;
        int reportedHz;  // as SDL rounds or cuts it to whole hertz; 0: unknown
        bool waits;  // presents wait for the display (vsync)
        int freeFrom = -1;  // from this frame on they return at once
        std::chrono::milliseconds imitatedWait{0};  // SDL's stand-in for vsync
        int stall = 0;  // refreshes the 600th frame takes longer
    };
    const Row rows[] = {// A present that waits is the pace itself, with no sleep of ours.
        {60, 60, true}, {59.94, 59, true}, {59.94, 60, true}, {60.05, 60, true}, {60.2, 60, true},
        {75, 0, true}, {120, 0, true}, {143.98, 144, true}, {144.03, 144, true}, {240, 240, true},
        // vsync given up after ten seconds: the clock goes on at the rate the
        // waits showed, not at the stated or fallback one.
        {60.05, 60, true, 600}, {59.94, 59, true, 599}, {75, 0, true, 750},
        {143.98, 144, true, 1439}, {240, 240, true, 2400},
        // The imitation waits whole milliseconds: 16 ms would show frames at
        // 62.5 Hz on a 60 Hz display, 6 ms at 167 on a 144 Hz one.
        {60, 60, false, -1, 16ms}, {60, 0, false, -1, 16ms}, {144, 144, false, -1, 6ms},
        {75, 75, false, -1, 13ms},
        // Free presents on the clock; a stall shows the frame before it
        // through the refreshes it takes, and no burst follows.
        {60, 60, false}, {144, 144, false}, {165, 165, false}, {144, 144, false, -1, 0ms, 30},
        {60, 60, true, -1, 0ms, 30}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
            << r.trueHz << " Hz, stated " << r.reportedHz << ", waits " << r.waits << ", free from "
            << r.freeFrom << ", stall " << r.stall);
        PacedDisplay display{r.trueHz, r.reportedHz, r.waits, 55us, 1ms, 600, r.stall, r.freeFrom};
        display.imitatedWait = r.imitatedWait;
        const PacingCounts counts = layer::test::SimulatePacing(display, 60s);
        EXPECT_LE(counts.repeated, r.stall);
        EXPECT_GE(counts.repeated, r.stall * 9 / 10);
        // Until an imitation's waits are judged, a few frames come at its rate;
        // a frame late from a stall may be overtaken by the next.
        EXPECT_LE(counts.dropped, r.imitatedWait.count() > 0 || r.stall > 0 ? 1 : 0);
        EXPECT_TRUE(counts.sleeps == 0 || !r.waits || r.freeFrom >= 0 || r.stall > 0);
    }
}

}  // namespace
