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
        {"RightAtTheEdge", 2048, 480, true, false, false, false, 3, 2048, 480},
        {"LeftAtTheEdge", 640, 480, false, true, false, false, 2, 640, 480},
        {"DownStopsShortOfTheMap", 640, 2044, false, false, false, true, 1, 640, 2047},
        {"UpAtTheTop", 640, 480, false, false, true, false, 2, 640, 480},
        // From the bottom bound the view runs on odd lines, 2047 - 4k, and
        // the top clamp takes it from 483 to 480.
        {"UpFromTheBottomToTheTop", 640, 2047, false, false, true, false, 391, 640, 483},
        {"UpOnceMoreAtTheTop", 640, 483, false, false, true, false, 1, 640, 480},
        {"RightAndLeftHeldAtTheRightEdge", 2048, 480, true, true, false, false, 4, 2044, 480},
        {"UpAndDownHeldAtTheTop", 640, 480, false, false, true, true, 4, 640, 484},
        {"UpAndDownAtTheBottom", 640, 2047, false, false, true, true, 3, 640, 2047},
        {"Diagonal", 640, 480, true, false, false, true, 10, 680, 520}};
    for (const Case& c : cases) {
        viewRight = c.startRight;
        viewBottom = c.startBottom;
        for (int i = 0; i < c.frames; ++i)
            ScrollView(c.right, c.left, c.up, c.down);
        EXPECT_EQ(viewRight, c.endRight) << c.name;
        EXPECT_EQ(viewBottom, c.endBottom) << c.name;
    }
}

}  // namespace
