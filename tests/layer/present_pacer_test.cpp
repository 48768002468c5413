// The desktop backend's pacing against a simulated display for one minute,
// its sleeps waking 55 microseconds late: every refresh shows a new frame.
#include "platform/layer/testing/pacing_simulation.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using namespace std::chrono_literals;

TEST(PresentPacer, ShowsEachFrameOnceAndNoBurstAfterAStall)
{
    // The 600th frame takes `stall` refreshes longer.
    for (auto [hz, presentWaits, stall] : {std::tuple{60, true, 0}, {144, true, 0}, {60, false, 0},
             {144, false, 0}, {144, false, 30}}) {
        SCOPED_TRACE(testing::Message() << hz << " Hz, waits " << presentWaits << ", " << stall);
        const layer::test::PacingCounts counts
            = layer::test::SimulatePacing({hz, presentWaits, 55us, 1ms, 600, stall}, 60s);
        // A stall shows the frame before it through the refreshes it takes,
        // no more; the frames after it come one a refresh, not in a burst
        // (the late one itself may be overtaken by the next).
        EXPECT_LE(counts.repeated, stall);
        EXPECT_GE(counts.repeated, stall * 9 / 10);
        EXPECT_LE(counts.dropped, stall > 0 ? 1 : 0);
    }
}

}  // namespace
