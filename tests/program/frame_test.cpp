// One frame on the layer: what reaches the screen, and the order of the
// steps. Tile pictures whose pixels encode their own tile and position make
// any misplaced piece show.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "mapview/frame.h"
#include "mapview/tile_map.h"
#include "mapview/view_position.h"
#include "program/program_display_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

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

// The frame's pixels, outside the legend's band at the top-left, that do not
// show the map pixel under them.
int WrongPixels(const test::Pixels& frame, int32_t right, int32_t bottom)
{
    int wrong = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            wrong += (y >= 20 || x >= 400)
                && frame.at(x, y) != MapPixel(right - SCREEN_WIDTH + x, bottom - SCREEN_HEIGHT + y);
    return wrong;
}

std::vector<std::string> Operations(const std::vector<test::RecordedCall>& calls)
{
    std::vector<std::string> names;
    for (const test::RecordedCall& call : calls)
        names.push_back(call.operation);
    return names;
}

class Frame : public ProgramDisplayTest {
protected:
    void SetUp() override
    {
        ProgramDisplayTest::SetUp();
        if (HasFatalFailure())
            return;
        for (int tile = 0; tile < TILE_COUNT; ++tile)
            layertest::Fill(DisplayState.TileSurfaces[tile],
                [tile](int x, int y) { return Encoded(tile, x, y); });
        viewRight = 640;
        viewBottom = 480;
    }
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
        EXPECT_EQ(WrongPixels(test::VisibleFrame(), right, bottom), 0) << right << ", " << bottom;
    }
}

TEST_F(Frame, StepsRunInOrderInputBlitsLegendFlipWithTheLegendYellowOnBlue)
{
    test::StartRecording();
    UpdateFrame();
    const std::vector<test::RecordedCall> calls = test::StopRecording();
    std::vector<std::string> expected(5, "GetAsyncKeyState");
    expected.insert(expected.end(), 80, "BltFast");
    for (const char* op : {"GetDC", "SetBkColor", "SetTextColor", "TextOutA", "ReleaseDC", "Flip"})
        expected.push_back(op);
    EXPECT_EQ(Operations(calls), expected);
    for (const test::RecordedCall& call : calls) {
        if (call.operation == "BltFast" || call.operation == "GetDC" || call.operation == "Flip") {
            EXPECT_EQ(call.object,
                call.operation == "Flip" ? DisplayState.PrimarySurface : DisplayState.BackBuffer);
        }
    }

    const test::Pixels frame = test::VisibleFrame();
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
            EXPECT_TRUE(message.hwnd == window && message.wParam == 0 && message.lParam == 0);
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
    const std::vector<std::string> ops = Operations(test::StopRecording());
    EXPECT_EQ(ops.back(), "Flip");
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "TextOutA")
            + std::count(ops.begin(), ops.end(), "ReleaseDC"),
        0);
    EXPECT_EQ(test::VisibleFrame().at(0, 0), MapPixel(0, 0)) << "the corner shows the map too";
    EXPECT_EQ(test::VisibleFrame().at(100, 10), MapPixel(100, 10));
    UpdateFrame();
    EXPECT_EQ(test::VisibleFrame().at(2, 2), 0x001F) << "the next frame has its legend again";
}

}  // namespace
