// The clock's part of the desktop backend's pacing: when a present may
// return, on a timeline the test makes up.
#include "platform/layer/present_pacer.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using layer::PresentPacer;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

struct RateCase {
    int refreshHz;
    nanoseconds period;
};

class PacerPeriod : public testing::TestWithParam<RateCase> { };

TEST_P(PacerPeriod, IsOneRefreshRoundedUp)
{
    EXPECT_EQ(PresentPacer::PeriodOf(GetParam().refreshHz), GetParam().period);
    EXPECT_EQ(PresentPacer(GetParam().refreshHz).Period(), GetParam().period);
}

INSTANTIATE_TEST_SUITE_P(Rates, PacerPeriod,
    testing::Values(RateCase{60, nanoseconds(16'666'667)}, RateCase{144, nanoseconds(6'944'445)},
        RateCase{50, milliseconds(20)}, RateCase{1, milliseconds(1000)},
        // A display that does not say: taken as 60 Hz.
        RateCase{0, nanoseconds(16'666'667)}, RateCase{-75, nanoseconds(16'666'667)}));

class Pacer : public testing::Test {
protected:
    PresentPacer pacer_{50};  // 20 ms
    PresentPacer::Clock::time_point start_{std::chrono::seconds(1000)};
};

TEST_F(Pacer, FirstPresentReturnsAtOnce)
{
    EXPECT_EQ(pacer_.ReturnTime(start_, true), start_);
    EXPECT_EQ(pacer_.ReturnTime(start_, false), start_);
}

struct StepCase {
    const char* name;
    microseconds handedAfterLastReturn;  // when the next present reached the display
    bool wait;
    microseconds returnsAfterLastReturn;
};

class PacerStep : public Pacer, public testing::WithParamInterface<StepCase> { };

TEST_P(PacerStep, KeepsWaitingPresentsOnePeriodFromThePrevious)
{
    pacer_.Returned(start_);
    const StepCase& step = GetParam();
    EXPECT_EQ(pacer_.ReturnTime(start_ + step.handedAfterLastReturn, step.wait),
        start_ + step.returnsAfterLastReturn);
}

INSTANTIATE_TEST_SUITE_P(Steps, PacerStep,
    testing::Values(StepCase{"WaitSoonAfter", microseconds(3'000), true, microseconds(20'000)},
        StepCase{"WaitJustBeforeDue", microseconds(19'999), true, microseconds(20'000)},
        StepCase{"WaitExactlyDue", microseconds(20'000), true, microseconds(20'000)},
        StepCase{"WaitLate", microseconds(35'000), true, microseconds(35'000)},
        StepCase{"NoWaitSoonAfter", microseconds(3'000), false, microseconds(3'000)},
        StepCase{"NoWaitAtOnce", microseconds(0), false, microseconds(0)}),
    [](const testing::TestParamInfo<StepCase>& info) { return info.param.name; });

TEST_F(Pacer, CountsFromTheLatestReturnOfAnyKind)
{
    pacer_.Returned(start_);
    // A present that did not wait (the greeting) is still the one before.
    pacer_.Returned(start_ + milliseconds(5));
    EXPECT_EQ(pacer_.ReturnTime(start_ + milliseconds(6), true), start_ + milliseconds(25));
    // A late frame moves the schedule: no catching up with quick frames.
    pacer_.Returned(start_ + milliseconds(70));
    EXPECT_EQ(pacer_.ReturnTime(start_ + milliseconds(71), true), start_ + milliseconds(90));
}

TEST_F(Pacer, ForgetsTheOldScreen)
{
    pacer_.Returned(start_);
    pacer_.Forget();
    EXPECT_EQ(pacer_.ReturnTime(start_ + milliseconds(1), true), start_ + milliseconds(1));
}

}  // namespace
