// One frame on the layer: what reaches the screen, and the order of the
// steps. Tile pictures whose pixels encode their own tile and position make
// any misplaced piece show.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "mapview/frame.h"
#include "mapview/tile_map.h"
#include "mapview/view_position.h"
#include "platform/layer/test_controls.h"
#include "support/test_window.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace test = layer::test;

namespace {

uint16_t Encoded(int tile, int x, int y)
{
    return static_cast<uint16_t>(tile * 4096 + y * 64 + x);
}

// What the pixel at map (x, y) must look like with the encoded tiles.
uint16_t MapPixel(int32_t x, int32_t y)
{
    const int tile = TileMap[(y / TILE_SIZE) * MAP_COLUMNS + x / TILE_SIZE];
    return Encoded(tile, x % TILE_SIZE, y % TILE_SIZE);
}

// The legend's band at the top-left; the rest of the frame is all map.
bool InLegendBand(int x, int y)
{
    return y < 20 && x < 400;
}

class Frame : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer();
        DisplayState = {};
        DisplayState.MainWindow = CreateTestWindow();
        ASSERT_EQ(InitDisplay(DisplayState.MainWindow), 1);
        for (int tile = 0; tile < TILE_COUNT; ++tile)
            FillEncoded(tile);
        viewRight = 640;
        viewBottom = 480;
    }
    void TearDown() override
    {
        ReleaseDisplay();
        DisplayState = {};
        test::ResetLayer();
    }

    static void FillEncoded(int tile)
    {
        IDirectDrawSurface* surface = DisplayState.TileSurfaces[tile];
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
        for (int y = 0; y < TILE_SIZE; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(
                static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
            for (int x = 0; x < TILE_SIZE; ++x)
                row[x] = Encoded(tile, x, y);
        }
        surface->Unlock(NULL);
    }

    // Counts the frame's pixels (outside the legend) that do not show the
    // map pixel under them.
    static int WrongPixels(const test::Pixels& frame, int32_t right, int32_t bottom)
    {
        int wrong = 0;
        for (int y = 0; y < SCREEN_HEIGHT; ++y)
            for (int x = 0; x < SCREEN_WIDTH; ++x)
                if (!InLegendBand(x, y)
                    && frame.at(x, y)
                        != MapPixel(right - SCREEN_WIDTH + x, bottom - SCREEN_HEIGHT + y))
                    ++wrong;
        return wrong;
    }

    static std::vector<std::string> Operations(const std::vector<test::RecordedCall>& calls)
    {
        std::vector<std::string> names;
        for (const test::RecordedCall& call : calls)
            names.push_back(call.operation);
        return names;
    }
};

TEST_F(Frame, EveryPixelShowsTheMapPixelUnderIt)
{
    // Offsets covering every row/column shape, spread over the map, and the
    // extremes of the bounds.
    const std::pair<int32_t, int32_t> views[] = {{640, 480}, {644, 512}, {700, 540}, {1003, 999},
        {1337, 1505}, {2048, 2047}, {2047, 2046}, {641, 2047}, {2048, 481}};
    for (auto [right, bottom] : views) {
        viewRight = right;
        viewBottom = bottom;
        UpdateFrame();
        EXPECT_EQ(WrongPixels(test::VisibleFrame(), right, bottom), 0)
            << "view " << right << ", " << bottom;
    }
}

TEST_F(Frame, LegendIsYellowOnBlueAtTheTopLeft)
{
    UpdateFrame();
    test::Pixels frame = test::VisibleFrame();
    int blue = 0, yellow = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 400; ++x) {
            blue += frame.at(x, y) == 0x001F;
            yellow += frame.at(x, y) == 0xFFE0;
        }
    EXPECT_GT(blue, 1000);
    EXPECT_GT(yellow, 200);
    EXPECT_EQ(frame.at(2, 2), 0x001F) << "the band starts at the corner";
}

TEST_F(Frame, StepsRunInOrderInputBlitsLegendFlip)
{
    test::StartRecording();
    UpdateFrame();
    std::vector<test::RecordedCall> calls = test::StopRecording();
    std::vector<std::string> ops = Operations(calls);

    std::vector<std::string> expected(5, "GetAsyncKeyState");
    expected.insert(expected.end(), 80, "BltFast");
    for (const char* op : {"GetDC", "SetBkColor", "SetTextColor", "TextOutA", "ReleaseDC", "Flip"})
        expected.push_back(op);
    // Calls the layer makes inside these (none expected) would show here.
    EXPECT_EQ(ops, expected);
    for (const test::RecordedCall& call : calls) {
        if (call.operation == "BltFast" || call.operation == "GetDC") {
            EXPECT_EQ(call.object, DisplayState.BackBuffer);
        } else if (call.operation == "Flip") {
            EXPECT_EQ(call.object, DisplayState.PrimarySurface);
        }
    }
}

TEST_F(Frame, EscapeAsksToCloseInEveryFrameAndTheFrameStillRuns)
{
    test::HoldKey(VK_ESCAPE);
    test::HoldKey(VK_RIGHT);
    const int flipsBefore = test::FlipCount();
    for (int i = 0; i < 3; ++i)
        UpdateFrame();
    EXPECT_EQ(test::FlipCount(), flipsBefore + 3);
    EXPECT_EQ(viewRight, 652) << "the arrow held with Escape still moves the view";
    EXPECT_EQ(WrongPixels(test::VisibleFrame(), 652, 480), 0);

    int closes = 0;
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_CLOSE) {
            EXPECT_EQ(message.hwnd, DisplayState.MainWindow);
            EXPECT_EQ(message.wParam, 0u);
            EXPECT_EQ(message.lParam, 0);
            ++closes;
        } else {
            DispatchMessageA(&message);  // the window's paint, so the queue empties
        }
    }
    EXPECT_EQ(closes, 3);
}

TEST_F(Frame, FailingDeviceContextDropsOnlyTheLegend)
{
    test::FailCall("GetDC", 1, 1, DisplayState.BackBuffer);
    test::StartRecording();
    UpdateFrame();
    std::vector<std::string> ops = Operations(test::StopRecording());
    EXPECT_EQ(ops.back(), "Flip");
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "TextOutA"), 0);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "ReleaseDC"), 0);
    // With no legend the corner shows the map too.
    test::Pixels frame = test::VisibleFrame();
    EXPECT_EQ(frame.at(0, 0), MapPixel(0, 0));
    EXPECT_EQ(frame.at(100, 10), MapPixel(100, 10));

    // The next frame has its legend again.
    UpdateFrame();
    EXPECT_EQ(test::VisibleFrame().at(2, 2), 0x001F);
}

TEST_F(Frame, FlipHandsTheOldFrontBackForTheNextFrame)
{
    // Two frames at different views: each shows its own view whole, so the
    // back buffer the second frame drew into was fully redrawn.
    viewRight = 2048;
    UpdateFrame();
    viewRight = 640;
    viewBottom = 2047;
    UpdateFrame();
    EXPECT_EQ(WrongPixels(test::VisibleFrame(), 640, 2047), 0);
}

}  // namespace
