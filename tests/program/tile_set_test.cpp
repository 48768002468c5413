// Loading the twelve tile pictures into their surfaces on the layer, with
// the committed resources, and with some of them missing or another size.
#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "platform/layer/test_controls.h"
#include "support/bitmap_files.h"
#include "support/test_window.h"
#include "support/tile_reference.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace test = layer::test;

namespace {

class TileSet : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer();
        DisplayState = {};
        DisplayState.MainWindow = CreateTestWindow();
        ASSERT_EQ(InitDisplay(DisplayState.MainWindow), 1);
        // Paint the surfaces with a value no picture has, so a tile that was
        // not loaded shows.
        for (IDirectDrawSurface* surface : DisplayState.TileSurfaces)
            Fill(surface, 0x0821);
        gdiBefore = test::LiveGdiObjects();
    }
    void TearDown() override
    {
        ReleaseDisplay();
        DisplayState = {};
        test::ResetLayer();
    }

    static void Fill(IDirectDrawSurface* surface, uint16_t value)
    {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(
                static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
            std::fill(row, row + desc.dwWidth, value);
        }
        surface->Unlock(NULL);
    }

    static bool ShowsPicture(int tile)
    {
        return test::ReadSurface(DisplayState.TileSurfaces[tile]).values
            == reference::AllTilePictures()[tile];
    }

    // Quit requests posted: counted as calls, since the platform folds
    // several into one WM_QUIT.
    static int QuitRequests(const std::vector<test::RecordedCall>& calls)
    {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(),
            [](const auto& call) { return call.operation == "PostQuitMessage"; }));
    }

    int gdiBefore = 0;
};

TEST_F(TileSet, EverySurfaceHoldsItsPictureInTheDisplayFormat)
{
    test::StartRecording();
    LoadTileSet();
    EXPECT_EQ(QuitRequests(test::StopRecording()), 0);
    for (int tile = 0; tile < TILE_COUNT; ++tile)
        EXPECT_TRUE(ShowsPicture(tile)) << "tile " << tile;
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);
}

struct MissingCase {
    const char* name;
    std::vector<int> missing;  // tile indices whose resource is taken away
};

class TileSetMissing : public TileSet, public testing::WithParamInterface<MissingCase> { };

TEST_P(TileSetMissing, OtherTilesStillLoadAndOneQuitFollows)
{
    const std::vector<int>& missing = GetParam().missing;
    for (int tile : missing)
        test::RemoveResource(("TILE" + std::to_string(tile + 1)).c_str(), RT_BITMAP);
    test::StartRecording();
    LoadTileSet();
    EXPECT_EQ(QuitRequests(test::StopRecording()), 1);
    for (int tile = 0; tile < TILE_COUNT; ++tile) {
        const bool isMissing = std::find(missing.begin(), missing.end(), tile) != missing.end();
        EXPECT_EQ(ShowsPicture(tile), !isMissing) << "tile " << tile;
    }
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);
    MSG message;
    int quits = 0;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) != 0 && message.message != WM_PAINT)
        quits += message.message == WM_QUIT && message.wParam == 0;
    EXPECT_EQ(quits, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, TileSetMissing,
    testing::Values(
        MissingCase{"First", {0}}, MissingCase{"Last", {11}}, MissingCase{"Several", {1, 8, 9}}),
    [](const auto& info) { return info.param.name; });

TEST_F(TileSet, PictureOfAnotherSizeIsScaledToTheTile)
{
    // A 32 x 32 picture of four coloured quadrants fills the whole tile,
    // each quadrant doubled.
    const uint32_t quadrant[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    test::RegisterResource("TILE3", RT_BITMAP, testbmp::MakeDib(32, 32, 24, {}, [&](int x, int y) {
        return quadrant[(y / 16) * 2 + x / 16];
    }));
    LoadTileSet();
    test::Pixels tile = test::ReadSurface(DisplayState.TileSurfaces[2]);
    ASSERT_EQ(tile.width, 64);
    const uint16_t expected[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(tile.at(x, y), expected[(y / 32) * 2 + x / 32]) << x << ", " << y;
}

}  // namespace
