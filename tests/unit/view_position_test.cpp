// The view's moves and clamps, key by key and with keys held together.
#include "mapview/view_position.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Keys {
    bool right, left, up, down;
};
constexpr Keys RIGHT{true, false, false, false}, LEFT{false, true, false, false};
constexpr Keys UP{false, false, true, false}, DOWN{false, false, false, true};
constexpr Keys RIGHT_LEFT{true, true, false, false}, UP_DOWN{false, false, true, true};
constexpr Keys RIGHT_DOWN{true, false, false, true};

void Hold(Keys keys, int frames = 1)
{
    for (int i = 0; i < frames; ++i)
        ScrollView(keys.right, keys.left, keys.up, keys.down);
}

TEST(ViewPosition, MovesFourPixelsAFrameAndStaysInBounds)
{
    struct Case {
        const char* name;
        int32_t startRight, startBottom;
        Keys keys;
        int frames;
        int32_t endRight, endBottom;
    };
    const Case cases[] = {{"RightToTheEdge", 2044, 480, RIGHT, 1, 2048, 480},
        {"RightAtTheEdge", 2048, 480, RIGHT, 3, 2048, 480},
        {"LeftAtTheEdge", 640, 480, LEFT, 2, 640, 480},
        {"LeftFromTheEdge", 2048, 480, LEFT, 1, 2044, 480},
        {"DownStopsShortOfTheMap", 640, 2044, DOWN, 1, 640, 2047},
        {"DownAtTheEdge", 640, 2047, DOWN, 3, 640, 2047}, {"UpAtTheTop", 640, 480, UP, 2, 640, 480},
        {"RightAndLeftCancel", 1000, 480, RIGHT_LEFT, 5, 1000, 480},
        {"RightAndLeftHeldAtTheRightEdge", 2048, 480, RIGHT_LEFT, 4, 2044, 480},
        {"RightAndLeftAtTheLeftEdge", 640, 480, RIGHT_LEFT, 3, 640, 480},
        {"UpAndDownCancel", 640, 1000, UP_DOWN, 5, 640, 1000},
        {"UpAndDownHeldAtTheTop", 640, 480, UP_DOWN, 4, 640, 484},
        {"UpAndDownAtTheBottom", 640, 2047, UP_DOWN, 3, 640, 2047},
        {"Diagonal", 640, 480, RIGHT_DOWN, 10, 680, 520}};
    for (const Case& c : cases) {
        viewRight = c.startRight;
        viewBottom = c.startBottom;
        Hold(c.keys, c.frames);
        EXPECT_EQ(viewRight, c.endRight) << c.name;
        EXPECT_EQ(viewBottom, c.endBottom) << c.name;
    }
}

TEST(ViewPosition, UpFromTheBottomEdgeRunsOnTheOddLineBackToTheTop)
{
    viewRight = 640;
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

TEST(ViewPosition, NoKeySequenceLeavesTheBounds)
{
    viewRight = 640;
    viewBottom = 480;
    // A long pseudo-random walk over all sixteen key combinations.
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t k = (seed >> 16) & 15;
        Hold(Keys{(k & 1) != 0, (k & 2) != 0, (k & 4) != 0, (k & 8) != 0}, 1 + (seed >> 24) % 40);
        ASSERT_TRUE(viewRight >= 640 && viewRight <= 2048 && viewRight % 4 == 0) << viewRight;
        ASSERT_TRUE(viewBottom >= 480 && viewBottom <= 2047) << viewBottom;
    }
}

}  // namespace
