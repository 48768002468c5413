// The view's moves and clamps, key by key and with keys held together.
#include "mapview/view_position.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Keys {
    bool right, left, up, down;
};

class ViewPosition : public testing::Test {
protected:
    void SetUp() override
    {
        viewRight = 640;
        viewBottom = 480;
    }
    void Hold(Keys keys, int frames = 1)
    {
        for (int i = 0; i < frames; ++i)
            ScrollView(keys.right, keys.left, keys.up, keys.down);
    }
};

constexpr Keys RIGHT{true, false, false, false};
constexpr Keys LEFT{false, true, false, false};
constexpr Keys UP{false, false, true, false};
constexpr Keys DOWN{false, false, false, true};
constexpr Keys RIGHT_LEFT{true, true, false, false};
constexpr Keys UP_DOWN{false, false, true, true};
constexpr Keys RIGHT_DOWN{true, false, false, true};

struct ClampCase {
    const char* name;
    int32_t startRight, startBottom;
    Keys keys;
    int frames;
    int32_t endRight, endBottom;
};

class ViewClamp : public ViewPosition, public testing::WithParamInterface<ClampCase> { };

TEST_P(ViewClamp, MovesAndStaysInBounds)
{
    const ClampCase& c = GetParam();
    viewRight = c.startRight;
    viewBottom = c.startBottom;
    Hold(c.keys, c.frames);
    EXPECT_EQ(viewRight, c.endRight);
    EXPECT_EQ(viewBottom, c.endBottom);
}

INSTANTIATE_TEST_SUITE_P(Keys, ViewClamp,
    testing::Values(ClampCase{"RightToTheEdge", 2044, 480, RIGHT, 1, 2048, 480},
        ClampCase{"RightAtTheEdge", 2048, 480, RIGHT, 3, 2048, 480},
        ClampCase{"LeftAtTheEdge", 640, 480, LEFT, 2, 640, 480},
        ClampCase{"LeftFromTheEdge", 2048, 480, LEFT, 1, 2044, 480},
        ClampCase{"DownStopsShortOfTheMap", 640, 2044, DOWN, 1, 640, 2047},
        ClampCase{"DownAtTheEdge", 640, 2047, DOWN, 3, 640, 2047},
        ClampCase{"UpFromTheBottomEdge", 640, 2047, UP, 1, 640, 2043},
        ClampCase{"UpAtTheTop", 640, 480, UP, 2, 640, 480},
        ClampCase{"DownFromTheTop", 640, 480, DOWN, 1, 640, 484},
        ClampCase{"RightAndLeftCancel", 1000, 480, RIGHT_LEFT, 5, 1000, 480},
        ClampCase{"RightAndLeftAtTheRightEdge", 2048, 480, RIGHT_LEFT, 1, 2044, 480},
        ClampCase{"RightAndLeftHeldOnAtTheRightEdge", 2048, 480, RIGHT_LEFT, 4, 2044, 480},
        ClampCase{"RightAndLeftAtTheLeftEdge", 640, 480, RIGHT_LEFT, 3, 640, 480},
        ClampCase{"UpAndDownCancel", 640, 1000, UP_DOWN, 5, 640, 1000},
        ClampCase{"UpAndDownAtTheTop", 640, 480, UP_DOWN, 1, 640, 484},
        ClampCase{"UpAndDownHeldOnAtTheTop", 640, 480, UP_DOWN, 4, 640, 484},
        ClampCase{"UpAndDownAtTheBottom", 640, 2047, UP_DOWN, 3, 640, 2047},
        ClampCase{"Diagonal", 640, 480, RIGHT_DOWN, 10, 680, 520}),
    [](const testing::TestParamInfo<ClampCase>& info) { return info.param.name; });

TEST_F(ViewPosition, UpFromTheBottomEdgeRunsOnTheOddLineBackToTheTop)
{
    viewBottom = 2047;
    std::vector<int32_t> seen;
    for (int i = 0; i < 400; ++i) {
        Hold(UP);
        seen.push_back(viewBottom);
    }
    EXPECT_EQ(seen[0], 2043);
    EXPECT_EQ(seen[1], 2039);
    // 2047 - 4k down to 483, then the clamp at 480.
    const size_t k483 = (2047 - 483) / 4 - 1;
    EXPECT_EQ(seen[k483], 483);
    EXPECT_EQ(seen[k483 + 1], 480);
    EXPECT_EQ(seen.back(), 480);
    Hold(DOWN);
    EXPECT_EQ(viewBottom, 484);
}

TEST_F(ViewPosition, NoKeySequenceLeavesTheBounds)
{
    // A long pseudo-random walk over all sixteen key combinations.
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t k = (seed >> 16) & 15;
        Hold(Keys{(k & 1) != 0, (k & 2) != 0, (k & 4) != 0, (k & 8) != 0}, 1 + (seed >> 24) % 40);
        ASSERT_GE(viewRight, 640);
        ASSERT_LE(viewRight, 2048);
        ASSERT_GE(viewBottom, 480);
        ASSERT_LE(viewBottom, 2047);
        ASSERT_EQ(viewRight % 4, 0);
    }
}

}  // namespace
