// The view's moves and clamps, key by key and with keys held together.
#include "mapview/view_position.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewPosition, MovesFourPixelsAFrameAndStopsAtTheBounds)
{
    struct Case {
        const char* name;
        int32_t startRight, startBottom;
        bool right, left, up, down;
        int frames;
        int32_t endRight, endBottom;
    };
    const Case cases[] = {{"RightToTheEdge", 2044, 480, true, false, false, false, 1, 2048, 480},
        {"LeftAtTheEdge", 640, 480, false, true, false, false, 2, 640, 480},
        {"DownStopsShortOfTheMap", 640, 2044, false, false, false, true, 1, 640, 2047},
        // From the bottom bound the view runs on odd lines down to 483.
        {"UpFromTheBottomToTheTop", 640, 2047, false, false, true, false, 391, 640, 483},
        {"RightAndLeftHeldAtTheRightEdge", 2048, 480, true, true, false, false, 4, 2044, 480},
        {"UpAndDownHeldAtTheTop", 640, 480, false, false, true, true, 4, 640, 484},
        {"Diagonal", 640, 480, true, false, false, true, 10, 680, 520}};
    for (const Case& c : cases) {
        viewRight = c.startRight;
        viewBottom = c.startBottom;
        for (int i = 0; i < c.frames; ++i)
            ScrollView(c.right, c.left, c.up, c.down);
        EXPECT_EQ(std::pair(viewRight, viewBottom), std::pair(c.endRight, c.endBottom)) << c.name;
    }
}

}  // namespace
