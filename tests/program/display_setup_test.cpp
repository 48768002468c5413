// Display setup and release on the layer: what is made, what a failure at
// each step releases and in what order, and the greeting.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "platform/layer/test_controls.h"
#include "support/test_window.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace test = layer::test;

namespace {

class DisplaySetup : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer(1024, 768);
        DisplayState = {};
        window = CreateTestWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        ReleaseDisplay();
        DisplayState = {};
        test::ResetLayer();
    }

    static std::vector<const void*> ObjectsOf(
        const std::vector<test::RecordedCall>& calls, const std::string& operation)
    {
        std::vector<const void*> objects;
        for (const test::RecordedCall& call : calls)
            if (call.operation == operation)
                objects.push_back(call.object);
        return objects;
    }

    static void ExpectAllSlotsNull()
    {
        EXPECT_EQ(DisplayState.DirectDrawObject, nullptr);
        EXPECT_EQ(DisplayState.PrimarySurface, nullptr);
        EXPECT_EQ(DisplayState.BackBuffer, nullptr);
        for (IDirectDrawSurface* tile : DisplayState.TileSurfaces)
            EXPECT_EQ(tile, nullptr);
    }

    HWND window = nullptr;
};

TEST_F(DisplaySetup, MakesTheModeTheChainAndTwelveTiles)
{
    ASSERT_EQ(InitDisplay(window), 1);
    test::DisplayMode mode = test::CurrentDisplayMode();
    EXPECT_EQ(mode.width, 640);
    EXPECT_EQ(mode.height, 480);
    EXPECT_EQ(mode.bitsPerPixel, 16);
    ASSERT_NE(DisplayState.PrimarySurface, nullptr);
    ASSERT_NE(DisplayState.BackBuffer, nullptr);
    EXPECT_NE(DisplayState.BackBuffer, DisplayState.PrimarySurface);
    std::set<IDirectDrawSurface*> distinct;
    for (IDirectDrawSurface* tile : DisplayState.TileSurfaces) {
        ASSERT_NE(tile, nullptr);
        distinct.insert(tile);
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(tile->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(desc.dwWidth, 64u);
        EXPECT_EQ(desc.dwHeight, 64u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    }
    EXPECT_EQ(distinct.size(), 12u);
    EXPECT_EQ(test::LiveSurfaces(), 14);  // primary, back buffer, twelve tiles
    EXPECT_EQ(DisplayState.DisplayPalette, nullptr);
}

TEST_F(DisplaySetup, ReleasesPrimaryThenTilesInOrderThenDirectDraw)
{
    ASSERT_EQ(InitDisplay(window), 1);
    std::vector<const void*> expected = {DisplayState.PrimarySurface};
    for (IDirectDrawSurface* tile : DisplayState.TileSurfaces)
        expected.push_back(tile);
    expected.push_back(DisplayState.DirectDrawObject);

    test::StartRecording();
    EXPECT_EQ(ReleaseDisplay(), 1);
    std::vector<test::RecordedCall> calls = test::StopRecording();

    EXPECT_EQ(ObjectsOf(calls, "Release"), expected);
    ExpectAllSlotsNull();
    EXPECT_EQ(test::LiveSurfaces(), 0);
    EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
    test::DisplayMode mode = test::CurrentDisplayMode();
    EXPECT_EQ(mode.width, 1024) << "the desktop's mode comes back with the DirectDraw object";
    EXPECT_EQ(mode.height, 768);
}

TEST_F(DisplaySetup, ReleaseWithNothingToReleaseCallsNothing)
{
    test::StartRecording();
    EXPECT_EQ(ReleaseDisplay(), 0);
    EXPECT_TRUE(test::StopRecording().empty());

    ASSERT_EQ(InitDisplay(window), 1);
    ASSERT_EQ(ReleaseDisplay(), 1);
    test::StartRecording();
    EXPECT_EQ(ReleaseDisplay(), 0);
    EXPECT_TRUE(test::StopRecording().empty());
}

// One row per step that can fail: which call fails (its nth occurrence) and
// how many tile surfaces had been made before it.
struct FailureRow {
    const char* name;
    const char* operation;
    int nth;
    bool hasDirectDraw;  // whether a DirectDraw object was made
    bool hasPrimary;  // whether the primary was made
    int tilesMade;
    int surfacesAttempted;  // CreateSurface calls made, the failing one included
};

class DisplaySetupFailure : public DisplaySetup, public testing::WithParamInterface<FailureRow> { };

TEST_P(DisplaySetupFailure, ReleasesWhatWasMadeInOrderAndReturnsZero)
{
    const FailureRow& row = GetParam();
    test::FailCall(row.operation, row.nth);
    test::StartRecording();
    EXPECT_EQ(InitDisplay(window), 0);
    std::vector<test::RecordedCall> calls = test::StopRecording();

    ExpectAllSlotsNull();
    EXPECT_EQ(test::LiveSurfaces(), 0);
    EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
    EXPECT_EQ(test::CurrentDisplayMode().width, 1024);

    std::vector<const void*> released = ObjectsOf(calls, "Release");
    const size_t expectedReleases
        = (row.hasDirectDraw ? 1 : 0) + (row.hasPrimary ? 1 : 0) + row.tilesMade;
    ASSERT_EQ(released.size(), expectedReleases);
    if (row.hasDirectDraw) {
        // The DirectDraw object, which took the cooperative level, goes last.
        std::vector<const void*> cooperative = ObjectsOf(calls, "SetCooperativeLevel");
        ASSERT_FALSE(cooperative.empty());
        EXPECT_EQ(released.back(), cooperative.front());
    }
    if (row.hasPrimary) {
        // The primary, on which the back buffer was looked up, goes first.
        std::vector<const void*> attached = ObjectsOf(calls, "GetAttachedSurface");
        ASSERT_FALSE(attached.empty());
        EXPECT_EQ(released.front(), attached.front());
    }
    // Nothing is attempted after the step that failed.
    EXPECT_EQ(ObjectsOf(calls, "CreateSurface").size(), static_cast<size_t>(row.surfacesAttempted));
    EXPECT_TRUE(ObjectsOf(calls, "GetDC").empty()) << "no greeting after a failure";
}

INSTANTIATE_TEST_SUITE_P(Steps, DisplaySetupFailure,
    testing::Values(FailureRow{"DirectDrawCreate", "DirectDrawCreate", 1, false, false, 0, 0},
        FailureRow{"SetCooperativeLevel", "SetCooperativeLevel", 1, true, false, 0, 0},
        FailureRow{"SetDisplayMode", "SetDisplayMode", 1, true, false, 0, 0},
        FailureRow{"PrimarySurface", "CreateSurface", 1, true, false, 0, 1},
        FailureRow{"BackBuffer", "GetAttachedSurface", 1, true, true, 0, 1},
        FailureRow{"FirstTile", "CreateSurface", 2, true, true, 0, 2},
        FailureRow{"SixthTile", "CreateSurface", 7, true, true, 5, 7},
        FailureRow{"LastTile", "CreateSurface", 13, true, true, 11, 13}),
    [](const testing::TestParamInfo<FailureRow>& info) { return info.param.name; });

TEST_F(DisplaySetup, GreetingGoesOnlyToTheVisibleSurface)
{
    ASSERT_EQ(InitDisplay(window), 1);
    test::Pixels visible = test::VisibleFrame();
    ASSERT_EQ(visible.width, 640);
    // Blue band behind yellow letters at the top-left, nothing far right.
    const uint16_t blue = 0x001F, yellow = 0xFFE0;
    int blues = 0, yellows = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 200; ++x) {
            blues += visible.at(x, y) == blue;
            yellows += visible.at(x, y) == yellow;
        }
    EXPECT_GT(blues, 200);
    EXPECT_GT(yellows, 50);
    EXPECT_NE(visible.at(600, 8), yellow);
    EXPECT_NE(visible.at(600, 8), blue);

    test::Pixels back = test::ReadSurface(DisplayState.BackBuffer);
    for (uint16_t value : back.values)
        ASSERT_TRUE(value != blue && value != yellow) << "the back buffer was written";
}

TEST_F(DisplaySetup, MissingDeviceContextOnlyCostsTheGreeting)
{
    test::FailCall("GetDC");
    test::StartRecording();
    ASSERT_EQ(InitDisplay(window), 1);
    std::vector<test::RecordedCall> calls = test::StopRecording();
    EXPECT_TRUE(ObjectsOf(calls, "TextOutA").empty());
    EXPECT_TRUE(ObjectsOf(calls, "ReleaseDC").empty());
    EXPECT_EQ(test::VisibleFrame().at(2, 2), test::VisibleFrame().at(300, 2));
}

}  // namespace
