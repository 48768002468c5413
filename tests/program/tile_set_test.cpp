// Loading the twelve tile pictures into their surfaces on the layer, with
// the committed resources, and with some of them missing or another size.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "program/program_display_fixture.h"
#include "support/bmp_bytes.h"
#include "support/tile_reference.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

namespace test = layer::test;

class TileSet : public ProgramDisplayTest {
protected:
    void SetUp() override
    {
        ProgramDisplayTest::SetUp();
        if (HasFatalFailure())
            return;
        // A value no picture has, so a tile that was not loaded shows.
        for (IDirectDrawSurface* surface : DisplayState.TileSurfaces)
            layertest::Fill(surface, [](int, int) { return uint16_t{0x0821}; });
        gdiBefore = test::LiveGdiObjects();
    }

    // Loads the set with these tiles' resources taken away; counts the quit
    // requests as calls, since the platform folds several into one WM_QUIT.
    int LoadWithout(const std::vector<int>& missing)
    {
        for (int tile : missing)
            test::RemoveResource(("TILE" + std::to_string(tile + 1)).c_str(), RT_BITMAP);
        test::StartRecording();
        LoadTileSet();
        const std::vector<test::RecordedCall> calls = test::StopRecording();
        EXPECT_EQ(test::LiveGdiObjects(), gdiBefore) << "no bitmap is left behind";
        return static_cast<int>(std::count_if(calls.begin(), calls.end(),
            [](const test::RecordedCall& call) { return call.operation == "PostQuitMessage"; }));
    }

    int gdiBefore = 0;
};

TEST_F(TileSet, EverySurfaceHoldsItsPictureOrOneQuitFollowsAMissingOne)
{
    const std::vector<std::vector<int>> cases = {{}, {0}, {11}, {1, 8, 9}};
    for (const std::vector<int>& missing : cases) {
        SCOPED_TRACE(testing::Message()
            << missing.size() << " missing, first " << (missing.empty() ? -1 : missing[0]));
        SetUp();
        EXPECT_EQ(LoadWithout(missing), missing.empty() ? 0 : 1);
        for (int tile = 0; tile < TILE_COUNT; ++tile) {
            const bool isMissing = std::count(missing.begin(), missing.end(), tile) > 0;
            EXPECT_EQ(test::ReadSurface(DisplayState.TileSurfaces[tile]).values
                    == reference::AllTilePictures()[tile],
                !isMissing)
                << "tile " << tile;
        }
        MSG message;
        int quits = 0;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) != 0 && message.message != WM_PAINT)
            quits += message.message == WM_QUIT && message.wParam == 0;
        EXPECT_EQ(quits, missing.empty() ? 0 : 1);
        TearDown();
    }
}

TEST_F(TileSet, PictureOfAnotherSizeIsScaledToTheTile)
{
    // 32 x 32 in four coloured quadrants: each fills a quarter of the tile.
    const uint32_t quadrant[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    test::RegisterResource("TILE3", RT_BITMAP,
        bmptest::Bmp24(
            32, 32, [&](int x, int y) { return quadrant[(y / 16) * 2 + x / 16]; }, false));
    EXPECT_EQ(LoadWithout({}), 0);
    const test::Pixels tile = test::ReadSurface(DisplayState.TileSurfaces[2]);
    ASSERT_EQ(tile.width, 64);
    const uint16_t expected[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(tile.at(x, y), expected[(y / 32) * 2 + x / 32]) << x << ", " << y;
}

}  // namespace
