// Frames on the program's display, with tile pictures that encode their tile and
// position so that any misplaced piece shows, and the greeting and the legend.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "mapview/frame.h"
#include "mapview/tile_map.h"
#include "mapview/view_position.h"
#include "tests/layer/layer_fixture.h"
#include "tests/support/surface_description.h"

#include <cstring>
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
        EXPECT_EQ(ReleaseDisplay(), 1);
        LayerTest::TearDown();
    }

    test::Pixels greeting;  // the screen right after the display's setup
};

TEST_F(Frame, EveryPixelShowsTheMapPixelUnderItFrameAfterFrame)
{
    // Every row and column shape, and the bounds, each frame over the former front.
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

TEST_F(Frame, TextIsDrawnYellowOnBlueAtTheTopLeftCorner)
{
    // Frames made and the text shown, as TextOutA draws it (the second legend
    // from the text cache); without a context, none.
    for (auto [frames, text] : {std::pair<int, const char*>{0, "Welcome Aboard!"},
             {2, "Keys: LEFT, RIGHT, UP, DOWN, .. and ESC"}, {1, nullptr}}) {
        SCOPED_TRACE(text ? text : "frame without a context");
        if (text == nullptr)
            test::FailCall("GetDC", 1, 1, DisplayState.BackBuffer);
        for (int i = 0; i < frames; ++i)
            UpdateFrame();
        const test::Pixels screen = frames == 0 ? greeting : test::VisibleFrame();
        // The same letters drawn on a surface of their own.
        DDSURFACEDESC desc = testsupport::OffscreenDescription(SCREEN_WIDTH, 16);
        IDirectDrawSurface* surface = NULL;
        ASSERT_EQ(DisplayState.DirectDrawObject->CreateSurface(&desc, &surface, NULL), DD_OK);
        HDC dc;
        ASSERT_EQ(surface->GetDC(&dc), DD_OK);
        SetBkColor(dc, RGB(0, 0, 255));
        SetTextColor(dc, RGB(255, 255, 0));
        TextOutA(dc, 0, 0, text ? text : "", text ? static_cast<int>(strlen(text)) : 0);
        surface->ReleaseDC(dc);
        const test::Pixels expected = test::ReadSurface(surface);
        // Row 0 aside, where an encoded map pixel may be as blue as the band.
        auto inBand = [](uint16_t pixel) { return pixel == 0x001F || pixel == 0xFFE0; };
        int wrong = 0, band = 0;
        for (int y = 1; y < 16; ++y)
            for (int x = 0; x < SCREEN_WIDTH; ++x) {
                band += inBand(expected.at(x, y));
                wrong += (inBand(expected.at(x, y)) || inBand(screen.at(x, y)))
                    && screen.at(x, y) != expected.at(x, y);
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(band > 1000, text != nullptr) << band << " pixels of the band";
        EXPECT_TRUE(text || screen.at(0, 0) == MapPixel(0, 0)) << "the corner shows the map";
    }
}

}  // namespace
