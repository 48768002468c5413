// The bitmap, colour-key and palette utilities on the layer: on every road what each
// returns, leaves on the surface and writes as diagnostics, and that it gives all back.
#include "display/bitmap_utils.h"
#include "display/display_state.h"
#include "tests/layer/layer_fixture.h"
#include "tests/support/bmp_bytes.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Palette = std::vector<PALETTEENTRY>;
namespace test = layer::test;

// Pixels differing from their neighbours in every channel.
uint32_t Gradient(int x, int y)
{
    return static_cast<uint32_t>((x * 4) & 0xFF) << 16 | static_cast<uint32_t>((y * 4) & 0xFF) << 8
        | static_cast<uint32_t>(((x + y) * 2 + 7) & 0xFF);
}

class BitmapUtils : public layertest::DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        test::TakeDebugOutput();
    }
    // The first `length` bytes as a file.
    std::string File(const std::string& name, const std::vector<uint8_t>& bytes, size_t length)
    {
        return folder.Write(name, {bytes.begin(), bytes.begin() + std::min(length, bytes.size())});
    }
    Palette EntriesOf(IDirectDrawPalette* palette)
    {
        Palette entries(PALETTE_SIZE);
        EXPECT_TRUE(
            palette != NULL && palette->GetEntries(0, 0, PALETTE_SIZE, entries.data()) == DD_OK);
        return entries;
    }

    bmptest::TempFolder folder;
};

TEST_F(BitmapUtils, PaletteTakesTheColourTableAsFarAsTheBitmapHoldsOne)
{
    // Sixteen entries, each byte different, reserved bytes not 0, in an 8-bit picture.
    std::vector<uint32_t> colors;
    for (uint32_t i = 0, b = 5; i < 16; ++i, b += 13)
        colors.push_back((i + 1) << 24 | (b + 160) << 16 | (b + 80) << 8 | b);
    const std::vector<uint8_t> file
        = bmptest::BuildBmp({4, 4, 8, 0, 40, colors, {}, 0}, std::vector<uint32_t>(16, 0), true);
    std::vector<uint8_t> cut(file.begin() + 14, file.begin() + 14 + 40 + 16 * 4 + 2);
    test::RegisterResource("CUT_TABLE", RT_BITMAP, cut);  // sixteen and a half entries
    bmptest::Put(cut, 0, 0x7FFFFFF0u, 4);  // a header size past the data, and past its end
    test::RegisterResource("TOO_SHORT", RT_BITMAP, {cut.begin(), cut.begin() + 20});
    // A longer header passes a resource's test, not a file's.
    const std::vector<uint8_t> v4
        = bmptest::BuildBmp({4, 4, 8, 0, 108, colors, {}, 0}, std::vector<uint32_t>(16, 0), true);
    test::RegisterResource(
        "V4_TABLE", RT_BITMAP, {v4.begin() + 14, v4.begin() + 14 + 108 + 16 * 4});
    const std::vector<uint8_t> large = bmptest::Bmp24(32, 12, Gradient, true);
    // A resource wins over a file of the same name, though it has no table.
    const std::string both = File("both.bmp", file, SIZE_MAX);
    test::RegisterResource(both.c_str(), RT_BITMAP, bmptest::Bmp24(8, 8, Gradient, false));

    struct Case {
        std::string name;  // a resource or a file; empty for none
        bool sixteen;  // entries 0-15 are the colours, red and blue exchanged, flags 0
        std::vector<uint8_t> raw;  // bytes taken as they lie, from entry 0 on
        int swapped = 0;  // entries 0 on whose red and blue the file's bytes exchange
        const char* failing = nullptr;
    };
    std::vector<Case> cases = {{"CUT_TABLE", true, {}}, {"V4_TABLE", true, {}},
        // 32 x 12 reaches past the table's 1024 bytes.
        {File("large.bmp", large, SIZE_MAX), false, {large.begin() + 54, large.end()}},
        {File("v4.bmp", v4, SIZE_MAX), false, {v4.begin() + 54, v4.end()}},
        // Cut after five and a half entries: five exchanged, those never reached the ramp.
        {File("cut.bmp", file, 54 + 5 * 4 + 2), false, {file.begin() + 54, file.begin() + 76}, 5},
        {"", false, {}}, {"NO_SUCH_BITMAP", false, {}}, {"TOO_SHORT", false, {}}, {both, false, {}},
        {"CUT_TABLE", false, {}, 0, "LockResource"}};
    // Files ending inside their headers, or with headers alone, exchange nothing.
    for (size_t length : {0u, 14u, 53u, 54u})
        cases.push_back({File("short" + std::to_string(length), file, length), false, {}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Palette expected(PALETTE_SIZE);
        BuildDefaultPalette(expected.data());
        for (int i = 0; i < 16 && c.sixteen; ++i)
            expected[i] = {BYTE(colors[i] >> 16), BYTE(colors[i] >> 8), BYTE(colors[i]), 0};
        std::copy(c.raw.begin(), c.raw.begin() + std::min<size_t>(c.raw.size(), 1024),
            reinterpret_cast<uint8_t*>(expected.data()));
        for (int i = 0; i < c.swapped; ++i)
            std::swap(expected[i].peRed, expected[i].peBlue);
        if (c.failing != nullptr)
            test::FailCall(c.failing);
        const Palette actual
            = EntriesOf(LoadPaletteFromBitmap(dd, c.name.empty() ? NULL : c.name.c_str()));
        test::ClearFailures();
        // Without DDPCAPS_ALLOW256 entries 0 and 255 stay black and white; their flags are ours.
        EXPECT_TRUE(actual[0].peFlags == expected[0].peFlags
            && actual[255].peFlags == expected[255].peFlags);
        EXPECT_EQ(std::memcmp(&actual[1], &expected[1], 254 * sizeof(PALETTEENTRY)), 0);
        EXPECT_EQ(test::TakeDebugOutput(), c.failing ? "lock resource failed\n" : "");
    }
}

TEST_F(BitmapUtils, SetPaletteEntryWritesPaletteAndShadowOnlyInsideTheTable)
{
    IDirectDrawPalette* palette = LoadPaletteFromBitmap(dd, NULL);
    Palette expected = EntriesOf(palette);
    Palette shadow(PaletteShadow, PaletteShadow + PALETTE_SIZE);
    for (auto [index, written] : {std::pair{0, 1}, {7, 1}, {255, 1}, {-1, 0}, {256, 0},
             {INT_MIN, 0}, {INT_MAX, 0}, {9, -1}}) {
        DisplayState.DisplayPalette = written < 0 ? NULL : palette;  // -1: no display palette
        const BYTE red = static_cast<BYTE>(index + 1);
        EXPECT_EQ(SetPaletteEntry(index, red, 100, 50), std::max(written, 0)) << index;
        if (written > 0)
            expected[index] = shadow[index] = {red, 100, 50, PC_NOCOLLAPSE};
    }
    DisplayState = {};
    const Palette actual = EntriesOf(palette);
    EXPECT_EQ(actual[0].peFlags, PC_NOCOLLAPSE);
    EXPECT_EQ(std::memcmp(&actual[1], &expected[1], 254 * sizeof(PALETTEENTRY)), 0);
    EXPECT_EQ(std::memcmp(PaletteShadow, shadow.data(), sizeof(PaletteShadow)), 0);
}

enum Op { COPY, COPY_NO_BITMAP, RELOAD, LOAD, MATCH, MATCH_STILL_DRAWING, KEY, PALETTE };

constexpr int64_t ANY = -1;  // a result or pixel not looked at

struct Road {
    const char* name;
    Op op;
    const char* bitmap;  // the bitmap's name; null for the gradient file
    COLORREF color;
    const char* failing;  // the platform call made to fail, or null
    int nth;
    int64_t result;  // LOAD: the width of the surface made; PALETTE: 1 when made
    int64_t corner;  // the surface's top-left pixel afterwards; it starts as 0x1234
    const char* debugOutput;
    bool nullObject = false;  // a null DirectDraw object or surface: no platform call at all
};

void PrintTo(const Road& road, std::ostream* out)
{
    *out << road.name;
}

const Road ROADS[] = {{"Copy", COPY, NULL, 0, NULL, 1, DD_OK, 0, ""},
    {"CopyNoBitmap", COPY_NO_BITMAP, NULL, 0, NULL, 1, E_FAIL, 0x1234, ""},
    // A failing call's own code comes back, and nothing is drawn.
    {"CopyNoSurfaceDesc", COPY, NULL, 0, "GetSurfaceDesc", 1, DDERR_GENERIC, 0x1234, ""},
    {"CopySelectFails", COPY, NULL, 0, "SelectObject", 1, E_FAIL, ANY, ""},
    {"CopyStretchFails", COPY, NULL, 0, "StretchBlt", 1, E_FAIL, 0x1234, ""},
    {"Reload", RELOAD, NULL, 0, NULL, 1, DD_OK, 0, ""},
    {"ReloadCopyFails", RELOAD, NULL, 0, "GetDC", 1, DDERR_GENERIC, 0x1234,
        "ddcopybitmap failed\n"},
    {"ReloadUnknown", RELOAD, "NO_SUCH_BITMAP", 0, NULL, 1, E_FAIL, 0x1234, "handle is null\n"},
    {"LoadSurface", LOAD, NULL, 0, NULL, 1, 16, ANY, ""},
    {"LoadSurfaceNoSurface", LOAD, NULL, 0, "CreateSurface", 1, 0, ANY, ""},
    // The surface is the caller's even when the picture did not reach it.
    {"LoadSurfaceCopyFails", LOAD, NULL, 0, "GetDC", 1, 16, ANY, ""},
    {"LoadSurfaceUnknown", LOAD, "NO_SUCH_BITMAP", 0, NULL, 1, 0, ANY, ""},
    {"MatchStillDrawing", MATCH_STILL_DRAWING, NULL, RGB(0, 0, 255), NULL, 1, 0x001F, 0x1234, ""},
    // No lock: no colour. No first context or old colour: the present pixel comes back.
    {"MatchNoLock", MATCH, NULL, RGB(0, 255, 0), "Lock", 1, CLR_INVALID, 0x1234, ""},
    {"MatchNoFirstContext", MATCH, NULL, RGB(0, 255, 0), "GetDC", 1, 0x1234, 0x1234, ""},
    {"MatchNoOldColour", MATCH, NULL, RGB(0, 255, 0), "GetPixel", 1, 0x1234, 0x1234, ""},
    {"MatchNoSecondContext", MATCH, NULL, RGB(0, 255, 0), "GetDC", 2, 0x07E0, 0x07E0, ""},
    // The key's low and high values are both the colour's pixel value.
    {"ColorKey", KEY, NULL, RGB(0, 0, 255), NULL, 1, 0x001F, 0x1234, ""},
    {"ColorKeyNoLock", KEY, NULL, RGB(0, 0, 255), "Lock", 1, CLR_INVALID, 0x1234, ""},
    {"PaletteFile", PALETTE, NULL, 0, NULL, 1, 1, ANY, ""},
    {"PaletteNoPalette", PALETTE, NULL, 0, "CreatePalette", 1, 0, ANY, ""},
    {"LoadSurfaceNullDirectDraw", LOAD, NULL, 0, NULL, 1, 0, 0x1234, "", true},
    {"PaletteFileNullDirectDraw", PALETTE, NULL, 0, NULL, 1, 0, 0x1234, "", true},
    {"MatchNullSurface", MATCH, NULL, RGB(0, 255, 0), NULL, 1, CLR_INVALID, 0x1234, "", true},
    {"ColorKeyNullSurface", KEY, NULL, RGB(0, 0, 255), NULL, 1, E_FAIL, 0x1234, "", true}};

class BitmapUtilsRoads : public BitmapUtils, public testing::WithParamInterface<Road> { };

TEST_P(BitmapUtilsRoads, ResultDiagnosticsAndEverythingMadeGivenBack)
{
    const Road& road = GetParam();
    IDirectDrawSurface* surface = Offscreen(16, 16);
    layertest::Fill(surface, [](int x, int y) { return uint16_t(x + y == 0 ? 0x1234 : 0x5555); });
    const std::string path = File("gradient.bmp", bmptest::Bmp24(16, 16, Gradient, true), SIZE_MAX);
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    const int live[] = {test::LiveGdiObjects(), test::LiveSurfaces(), test::LivePalettes()};

    if (road.failing != NULL)
        test::FailCall(road.failing, road.nth);
    const char* name = road.bitmap != NULL ? road.bitmap : path.c_str();
    int64_t result = ANY;
    IDirectDrawSurface* made = NULL;
    IDirectDrawPalette* palette = NULL;
    DDCOLORKEY key = {0, 1};
    IDirectDraw* const directDraw = road.nullObject ? NULL : dd;
    IDirectDrawSurface* const target = road.nullObject ? NULL : surface;
    test::StartRecording();
    switch (road.op) {
    case COPY:
    case COPY_NO_BITMAP:
        result = CopyBitmapToSurface(surface, road.op == COPY ? bitmap : NULL, 0, 0, 0, 0);
        break;
    case RELOAD:
        result = ReloadBitmap(surface, name);
        break;
    case LOAD:
        made = LoadBitmapSurface(directDraw, name, 0, 0);
        result = made != NULL ? test::ReadSurface(made).width : 0;
        // What it made holds the whole picture, as a plain copy of it gives.
        if (made != NULL && road.failing == NULL
            && CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0) == DD_OK
            && test::ReadSurface(made).values != test::ReadSurface(surface).values)
            result = ANY - 1;
        break;
    case MATCH_STILL_DRAWING:  // its own loop asks again while the blitter is busy
        test::LockStillDrawing(surface, 3);
        [[fallthrough]];
    case MATCH:
        result = MatchColor(target, road.color);
        break;
    case KEY:
        result = SetSourceColorKey(target, road.color);
        if (result == DD_OK && surface->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK)
            result = key.dwColorSpaceHighValue == key.dwColorSpaceLowValue
                ? key.dwColorSpaceLowValue
                : ANY - 1;
        break;
    case PALETTE:
        palette = LoadPaletteFromBitmap(directDraw, name);
        result = palette != NULL;
        break;
    }
    const std::vector<test::RecordedCall> calls = test::StopRecording();
    EXPECT_TRUE(calls.empty() || !road.nullObject);
    EXPECT_TRUE(
        road.op != MATCH_STILL_DRAWING || std::count_if(calls.begin(), calls.end(), [](auto& call) {
            return call.operation == "Lock";
        }) == 4);
    if (made != NULL)
        made->Release();
    if (palette != NULL)
        palette->Release();
    test::ClearFailures();
    EXPECT_TRUE(road.result == ANY || result == road.result) << result;
    EXPECT_TRUE(road.corner == ANY || test::ReadSurface(surface).at(0, 0) == road.corner);
    EXPECT_EQ(test::TakeDebugOutput(), road.debugOutput);
    EXPECT_EQ(test::LiveGdiObjects(), live[0]);
    EXPECT_EQ(test::LiveSurfaces(), live[1]);
    EXPECT_EQ(test::LivePalettes(), live[2]);
    // No context or lock left held (either refuses GetDC), and the caller's bitmap alive.
    HDC dc;
    EXPECT_EQ(surface->GetDC(&dc), DD_OK);
    surface->ReleaseDC(dc);
    BITMAP info;
    EXPECT_NE(GetObjectA(bitmap, sizeof(info), &info), 0);
}

INSTANTIATE_TEST_SUITE_P(Roads, BitmapUtilsRoads, testing::ValuesIn(ROADS),
    [](const testing::TestParamInfo<Road>& info) { return std::string(info.param.name); });

}  // namespace
