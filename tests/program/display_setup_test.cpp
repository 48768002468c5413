// Display setup and release on the layer: what is made, what a failure at
// each step releases and in what order, and the greeting.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "layer/layer_fixture.h"

#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace test = layer::test;

std::vector<const void*> ObjectsOf(
    const std::vector<test::RecordedCall>& calls, const std::string& operation)
{
    std::vector<const void*> objects;
    for (const test::RecordedCall& call : calls)
        if (call.operation == operation)
            objects.push_back(call.object);
    return objects;
}

class DisplaySetup : public layertest::LayerTest {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();  // a 1024 x 768 desktop
        DisplayState = {};
    }
    void TearDown() override
    {
        ReleaseDisplay();
        DisplayState = {};
        LayerTest::TearDown();
    }
    static void ExpectNothingLeft()
    {
        EXPECT_EQ(DisplayState.DirectDrawObject, nullptr);
        EXPECT_EQ(DisplayState.PrimarySurface, nullptr);
        EXPECT_EQ(DisplayState.BackBuffer, nullptr);
        for (IDirectDrawSurface* tile : DisplayState.TileSurfaces)
            EXPECT_EQ(tile, nullptr);
        EXPECT_EQ(test::LiveSurfaces() + test::LiveDirectDrawObjects(), 0);
        EXPECT_EQ(test::CurrentDisplayMode().width, 1024) << "the desktop's mode is back";
    }
};

TEST_F(DisplaySetup, MakesTheModeTheChainAndTwelveTilesAndReleasesThemInOrder)
{
    ASSERT_EQ(InitDisplay(window), 1);
    const test::DisplayMode mode = test::CurrentDisplayMode();
    EXPECT_EQ(
        std::make_tuple(mode.width, mode.height, mode.bitsPerPixel), std::make_tuple(640, 480, 16));
    ASSERT_TRUE(DisplayState.PrimarySurface != nullptr && DisplayState.BackBuffer != nullptr);
    EXPECT_NE(DisplayState.BackBuffer, DisplayState.PrimarySurface);
    std::set<IDirectDrawSurface*> distinct;
    for (IDirectDrawSurface* tile : DisplayState.TileSurfaces) {
        ASSERT_NE(tile, nullptr);
        distinct.insert(tile);
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(tile->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(
            std::make_pair(desc.dwWidth, desc.dwHeight), std::make_pair(DWORD{64}, DWORD{64}));
        EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    }
    EXPECT_EQ(distinct.size(), 12u);
    EXPECT_EQ(test::LiveSurfaces(), 14);  // primary, back buffer, twelve tiles

    std::vector<const void*> expected = {DisplayState.PrimarySurface};
    expected.insert(
        expected.end(), std::begin(DisplayState.TileSurfaces), std::end(DisplayState.TileSurfaces));
    expected.push_back(DisplayState.DirectDrawObject);
    test::StartRecording();
    EXPECT_EQ(ReleaseDisplay(), 1);
    EXPECT_EQ(ObjectsOf(test::StopRecording(), "Release"), expected);
    ExpectNothingLeft();
    // Again, and before any setup: nothing to release, nothing called.
    test::StartRecording();
    EXPECT_EQ(ReleaseDisplay(), 0);
    EXPECT_TRUE(test::StopRecording().empty());
}

TEST_F(DisplaySetup, ReleaseBeforeSetupCallsNothing)
{
    test::StartRecording();
    EXPECT_EQ(ReleaseDisplay(), 0);
    EXPECT_TRUE(test::StopRecording().empty());
}

// One row per step that can fail: the call that fails (its nth occurrence),
// what had been made before it, and the surfaces asked for.
struct FailureRow {
    const char* name;
    const char* operation;
    int nth;
    bool hasDirectDraw, hasPrimary;
    int tilesMade;
    int surfacesAttempted;  // CreateSurface calls, the failing one included
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FailureRow& row, std::ostream* out)
{
    *out << row.name;
}

class DisplaySetupFailure : public DisplaySetup, public testing::WithParamInterface<FailureRow> { };

TEST_P(DisplaySetupFailure, ReleasesWhatWasMadeInOrderAndReturnsZero)
{
    const FailureRow& row = GetParam();
    test::FailCall(row.operation, row.nth);
    test::StartRecording();
    EXPECT_EQ(InitDisplay(window), 0);
    const std::vector<test::RecordedCall> calls = test::StopRecording();
    ExpectNothingLeft();
    const std::vector<const void*> released = ObjectsOf(calls, "Release");
    ASSERT_EQ(released.size(), size_t{row.hasDirectDraw} + row.hasPrimary + row.tilesMade);
    // The primary, on which the back buffer was looked up, goes first; the
    // DirectDraw object, which took the cooperative level, goes last.
    if (row.hasPrimary) {
        EXPECT_EQ(released.front(), ObjectsOf(calls, "GetAttachedSurface").at(0));
    }
    if (row.hasDirectDraw) {
        EXPECT_EQ(released.back(), ObjectsOf(calls, "SetCooperativeLevel").at(0));
    }
    EXPECT_EQ(ObjectsOf(calls, "CreateSurface").size(), size_t(row.surfacesAttempted))
        << "nothing is attempted after the step that failed";
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

TEST_F(DisplaySetup, GreetingGoesOnlyToTheVisibleSurfaceAndNeedsOnlyItsContext)
{
    ASSERT_EQ(InitDisplay(window), 1);
    const test::Pixels visible = test::VisibleFrame();
    // Yellow letters on a blue band at the top-left, nothing far right.
    int blues = 0, yellows = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 200; ++x) {
            blues += visible.at(x, y) == 0x001F;
            yellows += visible.at(x, y) == 0xFFE0;
        }
    EXPECT_GT(blues, 200);
    EXPECT_GT(yellows, 50);
    EXPECT_TRUE(visible.at(600, 8) != 0xFFE0 && visible.at(600, 8) != 0x001F);
    int written = 0;
    for (uint16_t value : test::ReadSurface(DisplayState.BackBuffer).values)
        written += value == 0x001F || value == 0xFFE0;
    EXPECT_EQ(written, 0) << "the back buffer was written";

    ReleaseDisplay();
    test::FailCall("GetDC");
    test::StartRecording();
    ASSERT_EQ(InitDisplay(window), 1);
    EXPECT_TRUE(ObjectsOf(test::StopRecording(), "TextOutA").empty());
    EXPECT_EQ(test::VisibleFrame().at(2, 2), test::VisibleFrame().at(300, 2));
}

}  // namespace
