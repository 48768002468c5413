// What the screen shows: frames on the program's own display, whose tile
// pictures encode their own tile and position so that any misplaced piece
// shows, and the greeting and the legend.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "layer/layer_fixture.h"
#include "mapview/frame.h"
#include "mapview/tile_map.h"
#include "mapview/view_position.h"

#include <gtest/gtest.h>

namespace {

namespace test = layer::test;

uint16_t Encoded(int tile, int x, int y)
{
    return static_cast<uint16_t>(tile * 4096 + y * 64 + x);
}

// What the pixel at map (x, y) must look like with the encoded tiles.
uint16_t MapPixel(int32_t x, int32_t y)
{
    return Encoded(
        TileMap[(y / TILE_SIZE) * MAP_COLUMNS + x / TILE_SIZE], x % TILE_SIZE, y % TILE_SIZE);
}

class Frame : public layertest::LayerTest {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();
        DisplayState = {};
        DisplayState.MainWindow = window;
        ASSERT_EQ(InitDisplay(window), 1);
        greeting = test::VisibleFrame();
        for (int tile = 0; tile < TILE_COUNT; ++tile)
            layertest::Fill(DisplayState.TileSurfaces[tile],
                [tile](int x, int y) { return Encoded(tile, x, y); });
        viewRight = 640;
        viewBottom = 480;
    }
    void TearDown() override
    {
        // The display goes once; a second release finds nothing to give back.
        EXPECT_EQ(ReleaseDisplay(), 1);
        EXPECT_EQ(ReleaseDisplay(), 0);
        LayerTest::TearDown();
    }

    test::Pixels greeting;  // the screen right after the display's setup
};

TEST_F(Frame, EveryPixelShowsTheMapPixelUnderItFrameAfterFrame)
{
    // Offsets covering every row and column shape, spread over the map, and
    // the extremes of the bounds; each frame is drawn into the former front,
    // so every one must redraw the whole back buffer.
    for (auto [right, bottom] : {std::pair{640, 480}, {644, 512}, {700, 540}, {1003, 999},
             {1337, 1505}, {2048, 2047}, {2047, 2046}, {641, 2047}, {2048, 481}}) {
        viewRight = right;
        viewBottom = bottom;
        UpdateFrame();
        const test::Pixels frame = test::VisibleFrame();
        int wrong = 0;
        for (int y = 0; y < SCREEN_HEIGHT; ++y)
            for (int x = 0; x < SCREEN_WIDTH; ++x)
                wrong += (y >= 20 || x >= 400)
                    && frame.at(x, y) != MapPixel(right - 640 + x, bottom - 480 + y);
        EXPECT_EQ(wrong, 0) << right << ", " << bottom;
    }
}

// The greeting, straight on the visible surface after the setup, and the
// legend that each frame draws over the map: yellow letters on a blue band
// from the screen's very corner, nothing of them far to the right. A frame
// without the back buffer's device context goes without its legend.
TEST_F(Frame, TextStandsOnABlueBandFromTheTopLeftCorner)
{
    struct Case {
        const char* what;
        int frames;
        bool firstContextFails;
        bool band;
    };
    for (Case c : {Case{"greeting", 0, false, true}, {"legend", 1, false, true},
             {"frame without a context", 1, true, false}, {"the next frame", 2, true, true}}) {
        SCOPED_TRACE(c.what);
        if (c.firstContextFails)
            test::FailCall("GetDC", 1, 1, DisplayState.BackBuffer);
        for (int i = 0; i < c.frames; ++i)
            UpdateFrame();
        const test::Pixels screen = c.frames == 0 ? greeting : test::VisibleFrame();
        int blue = 0, yellow = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 400; ++x) {
                blue += screen.at(x, y) == 0x001F;
                yellow += screen.at(x, y) == 0xFFE0;
            }
        const uint16_t corner = screen.at(0, 0);
        EXPECT_EQ(corner == 0x001F || corner == 0xFFE0, c.band) << std::hex << corner;
        EXPECT_EQ(blue > 200 && yellow > 50, c.band) << blue << " blue, " << yellow << " yellow";
        EXPECT_TRUE(screen.at(600, 8) != 0x001F && screen.at(600, 8) != 0xFFE0);
        EXPECT_TRUE(c.band || corner == MapPixel(0, 0)) << "the corner shows the map";
    }
}

}  // namespace
