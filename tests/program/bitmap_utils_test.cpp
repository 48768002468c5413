// The bitmap, colour-key and palette utilities on the layer: what reaches the
// surfaces and palettes, the diagnostic lines, and that every road gives back
// what it made.
#include "display/bitmap_utils.h"
#include "display/display_state.h"
#include "layer/layer_fixture.h"
#include "support/bmp_bytes.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace {

using bmptest::BuildBmp;
using layertest::Fill;
using Palette = std::vector<PALETTEENTRY>;
namespace test = layer::test;

// A picture where nearly every pixel differs from its neighbours in every
// channel, as 0x00RRGGBB, and what the 5-6-5 display makes of it.
uint32_t Gradient(int x, int y)
{
    return static_cast<uint32_t>((x * 4) & 0xFF) << 16 | static_cast<uint32_t>((y * 4) & 0xFF) << 8
        | static_cast<uint32_t>(((x + y) * 2 + 7) & 0xFF);
}
uint16_t To565(uint32_t rgb)
{
    return static_cast<uint16_t>(
        (rgb >> 19 & 0x1F) << 11 | (rgb >> 10 & 0x3F) << 5 | (rgb >> 3 & 0x1F));
}

// Sixteen table entries, each byte different, the reserved bytes not 0.
std::vector<uint32_t> SixteenColors()
{
    std::vector<uint32_t> table;
    for (uint32_t i = 0; i < 16; ++i) {
        const uint32_t base = (5 + i * 13) & 0xFF;
        table.push_back(
            (i + 1) << 24 | ((base + 160) & 0xFF) << 16 | ((base + 80) & 0xFF) << 8 | base);
    }
    return table;
}
std::vector<uint8_t> SixteenColorBmp(bool file)
{
    return BuildBmp({8, 8, 4, 0, 40, SixteenColors()},
        bmptest::PixelsOf(
            8, 8, [](int x, int y) { return static_cast<uint32_t>((x + 3 * y) % 16); }),
        file);
}

Palette Ramp()
{
    Palette table(PALETTE_SIZE);
    BuildDefaultPalette(table.data());
    return table;
}

// The palette with entries from `first` on taken from the bytes as they lie.
Palette WithRawBytes(Palette table, int first, const uint8_t* bytes, size_t size)
{
    std::memcpy(
        &table[first], bytes, std::min(size, (PALETTE_SIZE - first) * sizeof(PALETTEENTRY)));
    return table;
}

// The sixteen colours with red and blue exchanged over the ramp; flags are
// the reserved bytes from a file, 0 from a resource.
Palette WithSixteen(bool fromFile)
{
    Palette table = Ramp();
    const std::vector<uint32_t> colors = SixteenColors();
    for (int i = 0; i < 16; ++i)
        table[i] = {BYTE(colors[i] >> 16), BYTE(colors[i] >> 8), BYTE(colors[i]),
            BYTE(fromFile ? colors[i] >> 24 : 0)};
    return table;
}

// Made without DDPCAPS_ALLOW256, a palette keeps entries 0 and 255 black and
// white, whatever it is given; only their flags are ours.
void ExpectPalette(const Palette& actual, const Palette& expected)
{
    ASSERT_EQ(actual.size(), size_t{PALETTE_SIZE});
    for (int i = 0; i < PALETTE_SIZE; ++i) {
        if (i == 0 || i == PALETTE_SIZE - 1)
            EXPECT_EQ(actual[i].peFlags, expected[i].peFlags) << "entry " << i;
        else
            EXPECT_EQ(std::memcmp(&actual[i], &expected[i], 4), 0) << "entry " << i;
    }
}

int CountOf(const std::vector<test::RecordedCall>& calls, const std::string& name)
{
    int count = 0;
    for (const test::RecordedCall& call : calls)
        count += call.operation == name;
    return count;
}

class BitmapUtils : public layertest::DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        test::TakeDebugOutput();
    }
    void TearDown() override
    {
        DisplayState = {};
        DisplayTest::TearDown();
    }

    HBITMAP LoadFile(const std::string& path)
    {
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
            NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
        EXPECT_NE(bitmap, static_cast<HBITMAP>(NULL)) << path;
        return bitmap;
    }
    std::string GradientFile(int width, int height, int block = 1)
    {
        return folder.Write("gradient" + std::to_string(width) + ".bmp",
            bmptest::Bmp24(
                width, height, [&](int x, int y) { return Gradient(x / block, y / block); }, true));
    }
    Palette Entries(IDirectDrawPalette* palette)
    {
        Palette entries(PALETTE_SIZE);
        if (palette == NULL || palette->GetEntries(0, 0, PALETTE_SIZE, entries.data()) != DD_OK)
            return {};
        return entries;
    }
    Palette PaletteOf(LPCSTR name)
    {
        return Entries(LoadPaletteFromBitmap(dd, name));
    }
    // Width and height as the surface describes itself.
    std::pair<DWORD, DWORD> SizeOf(IDirectDrawSurface* surface)
    {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        EXPECT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
        return {desc.dwWidth, desc.dwHeight};
    }

    bmptest::TempFolder folder;
};

// ---- LoadPaletteFromBitmap ------------------------------------------------------

TEST_F(BitmapUtils, PaletteFromASixteenColourResourceOrFile)
{
    test::RegisterResource("PALETTE16", RT_BITMAP, SixteenColorBmp(false));
    ExpectPalette(PaletteOf("PALETTE16"), WithSixteen(false));

    // From a file the table is followed by the file's next bytes, unconverted,
    // as far as the file goes: here 32 bytes of pixels and half an entry.
    std::vector<uint8_t> file = SixteenColorBmp(true);
    ASSERT_EQ(file.size(), 118u + 32u);
    file.push_back(0xC1);
    file.push_back(0xC2);
    ExpectPalette(PaletteOf(folder.Write("sixteen.bmp", file).c_str()),
        WithRawBytes(WithSixteen(true), 16, &file[118], 34));
}

TEST_F(BitmapUtils, PaletteFromATrueColourFileHoldsTheBytesAfterTheHeaders)
{
    // 8 x 8 ends inside the table; 32 x 12 reaches past its 1024 bytes.
    for (auto [width, height] : {std::pair{8, 8}, {32, 12}}) {
        const std::vector<uint8_t> file = bmptest::Bmp24(width, height, Gradient, true);
        ExpectPalette(
            PaletteOf(folder.Write("true" + std::to_string(width) + ".bmp", file).c_str()),
            WithRawBytes(Ramp(), 0, &file[54], file.size() - 54));
    }
}

TEST_F(BitmapUtils, PaletteWithoutAUsableTableIsTheRamp)
{
    // An 8-bit picture: a header declaring 256 entries.
    const std::vector<uint8_t> eightBit = BuildBmp({4, 4, 8}, std::vector<uint32_t>(16, 0), true);
    std::vector<uint8_t> farTable = SixteenColorBmp(false);
    bmptest::Put(farTable, 0, 0x7FFFFFF0u, 4);  // a header size past the data
    test::RegisterResource(
        "TOO_SHORT", RT_BITMAP, std::vector<uint8_t>(farTable.begin(), farTable.begin() + 20));
    test::RegisterResource("FAR_TABLE", RT_BITMAP, farTable);
    std::vector<std::string> names
        = {"NO_SUCH_BITMAP", (folder.path / "missing.bmp").string(), "TOO_SHORT", "FAR_TABLE"};
    // Files ending inside their headers count as failing the header test: were
    // their missing bytes taken as a header, red and blue would be exchanged.
    // A file of headers alone has no table to convert.
    for (size_t length : {0u, 10u, 14u, 30u, 53u, 54u})
        names.push_back(folder.Write("short" + std::to_string(length) + ".bmp",
            std::vector<uint8_t>(eightBit.begin(), eightBit.begin() + length)));
    ExpectPalette(PaletteOf(NULL), Ramp());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ExpectPalette(PaletteOf(name.c_str()), Ramp());
    }
    EXPECT_EQ(test::TakeDebugOutput(), "");

    // A table cut after five and a half of its 256 declared entries: five
    // converted, the half entry's bytes as they came over the ramp, and the
    // entries the file never reached the ramp as it is.
    std::vector<uint8_t> cut
        = BuildBmp({4, 4, 8, 0, 40, SixteenColors(), {}, 0}, std::vector<uint32_t>(16, 0), true);
    cut.resize(54 + 5 * 4 + 2);
    Palette expected = WithRawBytes(Ramp(), 5, &cut[54 + 5 * 4], 2);
    std::copy_n(WithSixteen(true).begin(), 5, expected.begin());
    ExpectPalette(PaletteOf(folder.Write("cut.bmp", cut).c_str()), expected);
}

TEST_F(BitmapUtils, ResourceTableTakenOnlyAsFarAsTheResourceGoes)
{
    // An 8-bit header (256 entries declared) followed by sixteen and a half.
    std::vector<uint8_t> cut
        = BuildBmp({4, 4, 8, 0, 40, SixteenColors(), {}, 0}, std::vector<uint32_t>(16, 0), false);
    cut.resize(40 + 16 * 4 + 2);
    test::RegisterResource("CUT_TABLE", RT_BITMAP, cut);
    ExpectPalette(PaletteOf("CUT_TABLE"), WithSixteen(false));

    test::FailCall("LockResource");
    ExpectPalette(PaletteOf("CUT_TABLE"), Ramp());
    EXPECT_EQ(test::TakeDebugOutput(), "lock resource failed\n");
}

TEST_F(BitmapUtils, ResourceWinsOverAFileOfTheSameName)
{
    const std::string path = folder.Write("both.bmp", SixteenColorBmp(true));
    test::RegisterResource(path.c_str(), RT_BITMAP,
        bmptest::Bmp24(
            24, 8, [](int, int) { return 0x0000FFu; }, false));

    // The resource is 24-bit, so it gives no entries, yet the file is not read.
    ExpectPalette(PaletteOf(path.c_str()), Ramp());
    IDirectDrawSurface* loaded = LoadBitmapSurface(dd, path.c_str(), 0, 0);
    ASSERT_NE(loaded, static_cast<IDirectDrawSurface*>(NULL));
    EXPECT_EQ(SizeOf(loaded), std::make_pair(24u, 8u));
    EXPECT_EQ(test::ReadSurface(loaded).at(0, 0), 0x001F);
    IDirectDrawSurface* surface = Offscreen(16, 16);
    ASSERT_EQ(ReloadBitmap(surface, path.c_str()), DD_OK);
    EXPECT_EQ(test::ReadSurface(surface).at(15, 15), 0x001F);
}

// ---- SetPaletteEntry ------------------------------------------------------------

TEST_F(BitmapUtils, SetPaletteEntryWritesPaletteAndShadowWithNoCollapse)
{
    IDirectDrawPalette* palette = LoadPaletteFromBitmap(dd, NULL);
    ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
    DisplayState.DisplayPalette = palette;
    Palette expected = Ramp();
    Palette shadow(PaletteShadow, PaletteShadow + PALETTE_SIZE);
    struct Case {
        int index;
        BYTE red, green, blue;
    };
    for (Case c : {Case{0, 1, 2, 3}, {7, 200, 100, 50}, {255, 255, 0, 128}}) {
        EXPECT_EQ(SetPaletteEntry(c.index, c.red, c.green, c.blue), 1);
        expected[c.index] = shadow[c.index] = {c.red, c.green, c.blue, PC_NOCOLLAPSE};
    }
    ExpectPalette(Entries(palette), expected);
    EXPECT_EQ(std::memcmp(PaletteShadow, shadow.data(), sizeof(PaletteShadow)), 0);

    // Outside the table, or with no display palette: nothing is written.
    for (auto [index, display] : {std::pair{-1, palette}, {256, palette}, {INT_MIN, palette},
             {INT_MAX, palette}, {0, static_cast<IDirectDrawPalette*>(NULL)}}) {
        DisplayState.DisplayPalette = display;
        test::StartRecording();
        EXPECT_EQ(SetPaletteEntry(index, 9, 9, 9), 0) << index;
        EXPECT_EQ(CountOf(test::StopRecording(), "SetEntries"), 0) << index;
    }
    ExpectPalette(Entries(palette), expected);
    EXPECT_EQ(std::memcmp(PaletteShadow, shadow.data(), sizeof(PaletteShadow)), 0);
}

// ---- CopyBitmapToSurface, ReloadBitmap, LoadBitmapSurface ------------------------

TEST_F(BitmapUtils, CopyStretchesTheChosenRectangleOverTheWholeSurface)
{
    struct Case {
        const char* what;
        int picture, block, surface;  // sides of the picture, its blocks, the surface
        int x, y, width, height;  // the rectangle asked for
        bool lostFirst, byReload;
    };
    const Case cases[] = {{"one to one", 64, 1, 64, 0, 0, 0, 0, false, false},
        {"onto a lost surface", 64, 1, 64, 0, 0, 0, 0, true, false},
        {"width 32, height 0", 64, 1, 64, 0, 0, 32, 0, false, false},
        {"width 0, height 32", 64, 1, 64, 0, 0, 0, 32, false, false},
        {"32 x 32 at 16, 8", 64, 1, 64, 16, 8, 32, 32, false, false},
        {"doubled", 32, 1, 64, 0, 0, 0, 0, false, false},
        {"halved by a reload", 128, 2, 64, 0, 0, 0, 0, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = GradientFile(c.picture, c.picture, c.block);
        IDirectDrawSurface* surface = Offscreen(c.surface, c.surface);
        if (c.lostFirst)
            test::MarkSurfaceLost(surface);
        ASSERT_EQ(c.byReload
                ? ReloadBitmap(surface, path.c_str())
                : CopyBitmapToSurface(surface, LoadFile(path), c.x, c.y, c.width, c.height),
            DD_OK);
        const int w = c.width ? c.width : c.picture, h = c.height ? c.height : c.picture;
        const test::Pixels pixels = test::ReadSurface(surface);
        int wrong = 0;
        for (int y = 0; y < c.surface; ++y)
            for (int x = 0; x < c.surface; ++x) {
                const int sx = c.x + x * w / c.surface, sy = c.y + y * h / c.surface;
                wrong += pixels.at(x, y) != To565(Gradient(sx / c.block, sy / c.block));
            }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(test::TakeDebugOutput(), "");
}

TEST_F(BitmapUtils, CopyThatCannotDrawReturnsTheFailureAndLeavesTheSurface)
{
    HBITMAP bitmap = LoadFile(GradientFile(16, 16));
    IDirectDrawSurface* surface = Offscreen(16, 16);
    Fill(surface, [](int, int) { return uint16_t{0x1234}; });
    test::StartRecording();
    EXPECT_EQ(CopyBitmapToSurface(surface, NULL, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(NULL, bitmap, 0, 0, 0, 0), E_FAIL);
    EXPECT_TRUE(test::StopRecording().empty());

    for (const char* operation : {"CreateCompatibleDC", "GetDC", "GetSurfaceDesc"}) {
        SCOPED_TRACE(operation);
        // The code the failing call itself answers with.
        test::FailCall(
            operation, 1, 2, std::string(operation) == "CreateCompatibleDC" ? NULL : surface);
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        HDC dc = NULL;
        const HRESULT expected = std::string(operation) == "CreateCompatibleDC" ? E_FAIL
            : std::string(operation) == "GetDC" ? surface->GetDC(&dc)
                                                : surface->GetSurfaceDesc(&desc);
        ASSERT_NE(expected, DD_OK);
        test::StartRecording();
        EXPECT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), expected);
        const std::vector<test::RecordedCall> calls = test::StopRecording();
        EXPECT_EQ(CountOf(calls, "StretchBlt") + CountOf(calls, "ReleaseDC"), 0);
        EXPECT_EQ(test::ReadSurface(surface).at(5, 5), 0x1234);
        test::ClearFailures();
    }
}

TEST_F(BitmapUtils, LoadedSurfacesTakeTheBitmapsSizeOrTheOneAskedFor)
{
    const std::string path = GradientFile(48, 40);
    for (auto [width, height] : {std::pair{0, 0}, {32, 32}}) {
        IDirectDrawSurface* surface = LoadBitmapSurface(dd, path.c_str(), width, height);
        ASSERT_NE(surface, static_cast<IDirectDrawSurface*>(NULL));
        const DWORD w = width ? width : 48, h = height ? height : 40;
        EXPECT_EQ(SizeOf(surface), std::make_pair(w, h));
        // Nearest pixels: the last row and column come from 47 * 31 / 32 and so on.
        EXPECT_EQ(test::ReadSurface(surface).at(w - 1, h - 1),
            To565(Gradient((w - 1) * 48 / w, (h - 1) * 40 / h)));
    }
    // An unknown name: one line, and the surface as it was.
    IDirectDrawSurface* surface = Offscreen(16, 16);
    Fill(surface, [](int x, int y) { return static_cast<uint16_t>(x * 100 + y); });
    EXPECT_EQ(ReloadBitmap(surface, (folder.path / "missing.bmp").string().c_str()), E_FAIL);
    EXPECT_EQ(test::TakeDebugOutput(), "handle is null\n");
    EXPECT_EQ(test::ReadSurface(surface).at(15, 7), 1507);
}

// ---- MatchColor and SetSourceColorKey ---------------------------------------------

// Top-left 0x1234 with a different pixel right after it, so that an unmasked
// read shows.
uint16_t Corner(int x, int y)
{
    return y == 0 && x <= 1 ? (x == 0 ? 0x1234 : 0xABCD) : 0x5555;
}

struct ColorCase {
    COLORREF color;
    uint16_t pixel;
};
const ColorCase COLORS[] = {{RGB(255, 0, 0), 0xF800}, {RGB(0, 255, 0), 0x07E0},
    {RGB(0, 0, 255), 0x001F}, {RGB(255, 255, 255), 0xFFFF}, {RGB(0, 0, 0), 0}};

TEST_F(BitmapUtils, MatchColorGivesThePixelValueAndPutsThePixelBack)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    for (const ColorCase& c : COLORS) {
        Fill(surface, Corner);
        EXPECT_EQ(MatchColor(surface, c.color), c.pixel) << std::hex << c.color;
        EXPECT_EQ(test::ReadSurface(surface).at(0, 0), 0x1234);
        EXPECT_EQ(test::ReadSurface(surface).at(1, 0), 0xABCD);
    }
    // No colour: the pixel read as it is, without GDI.
    test::StartRecording();
    EXPECT_EQ(MatchColor(surface, CLR_INVALID), 0x1234u);
    const std::vector<test::RecordedCall> calls = test::StopRecording();
    EXPECT_EQ(CountOf(calls, "GetDC"), 0);
    EXPECT_EQ(CountOf(calls, "Lock"), 1);

    // Still drawing three times: locked on the fourth try.
    test::LockStillDrawing(surface, 3);
    test::StartRecording();
    EXPECT_EQ(MatchColor(surface, RGB(0, 0, 255)), 0x001Fu);
    EXPECT_EQ(CountOf(test::StopRecording(), "Lock"), 4);
    EXPECT_EQ(test::ReadSurface(surface).at(0, 0), 0x1234);
}

TEST_F(BitmapUtils, MatchColorWhenALockOrAContextCannotBeHad)
{
    struct Case {
        const char* failing;
        int nth;
        DWORD result;
        uint16_t cornerAfter;
    };
    // No lock: no colour. No first context: nothing written, the present
    // pixel comes back. No second context: the matched colour stays.
    for (Case c : {Case{"Lock", 1, CLR_INVALID, 0x1234}, {"GetDC", 1, 0x1234, 0x1234},
             {"GetDC", 2, 0x07E0, 0x07E0}}) {
        SCOPED_TRACE(testing::Message() << c.failing << " " << c.nth);
        IDirectDrawSurface* surface = Offscreen(16, 16);
        Fill(surface, Corner);
        test::FailCall(c.failing, c.nth, 1, surface);
        EXPECT_EQ(MatchColor(surface, RGB(0, 255, 0)), c.result);
        EXPECT_EQ(test::ReadSurface(surface).at(0, 0), c.cornerAfter);
    }
}

TEST_F(BitmapUtils, SourceColorKeyHasEqualLowAndHighValues)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    std::vector<ColorCase> cases(std::begin(COLORS), std::end(COLORS));
    cases.push_back({RGB(255, 0, 0), 0});  // with Lock failing: CLR_INVALID's value
    for (size_t i = 0; i < cases.size(); ++i) {
        Fill(surface, Corner);
        const bool lockFails = i + 1 == cases.size();
        if (lockFails)
            test::FailCall("Lock", 1, 1, surface);
        EXPECT_EQ(SetSourceColorKey(surface, cases[i].color), DD_OK);
        DDCOLORKEY key = {0, 0};
        ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        const DWORD expected = lockFails ? CLR_INVALID : cases[i].pixel;
        EXPECT_EQ(key.dwColorSpaceLowValue, expected) << i;
        EXPECT_EQ(key.dwColorSpaceHighValue, expected) << i;
        EXPECT_EQ(test::ReadSurface(surface).at(0, 0), 0x1234);
    }
}

// ---- Everything made is given back, on every road -----------------------------------

enum Road {
    COPY,
    RELOAD,
    RELOAD_RESOURCE,
    RELOAD_UNKNOWN,
    LOAD_SURFACE,
    LOAD_UNKNOWN,
    MATCH,
    COLOR_KEY,
    PALETTE_FILE,
    PALETTE_RESOURCE
};

struct LeakCase {
    const char* name;
    Road road;
    const char* failing;  // the platform call made to fail, or null
    int nth;
    const char* debugOutput;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LeakCase& row, std::ostream* out)
{
    *out << row.name;
}

const LeakCase LEAK_CASES[] = {{"Copy", COPY, NULL, 1, ""},
    {"CopyNoMemoryContext", COPY, "CreateCompatibleDC", 1, "createcompatible dc failed\n"},
    {"CopyNoSurfaceContext", COPY, "GetDC", 1, ""},
    {"CopyNoSurfaceDesc", COPY, "GetSurfaceDesc", 1, ""},
    {"CopySelectFails", COPY, "SelectObject", 1, ""}, {"Reload", RELOAD, NULL, 1, ""},
    {"ReloadResource", RELOAD_RESOURCE, NULL, 1, ""},
    {"ReloadCopyFails", RELOAD, "GetDC", 1, "ddcopybitmap failed\n"},
    {"ReloadNoMemoryContext", RELOAD, "CreateCompatibleDC", 1,
        "createcompatible dc failed\nddcopybitmap failed\n"},
    {"ReloadUnknown", RELOAD_UNKNOWN, NULL, 1, "handle is null\n"},
    {"LoadSurface", LOAD_SURFACE, NULL, 1, ""},
    {"LoadSurfaceNoSurface", LOAD_SURFACE, "CreateSurface", 1, ""},
    {"LoadSurfaceCopyFails", LOAD_SURFACE, "GetDC", 1, ""},
    {"LoadSurfaceUnknown", LOAD_UNKNOWN, NULL, 1, ""}, {"MatchColor", MATCH, NULL, 1, ""},
    {"MatchColorLockFails", MATCH, "Lock", 1, ""},
    {"MatchColorSecondContextFails", MATCH, "GetDC", 2, ""}, {"ColorKey", COLOR_KEY, NULL, 1, ""},
    {"PaletteFile", PALETTE_FILE, NULL, 1, ""},
    {"PaletteNoPalette", PALETTE_FILE, "CreatePalette", 1, ""},
    {"PaletteResource", PALETTE_RESOURCE, NULL, 1, ""},
    {"PaletteResourceUnreadable", PALETTE_RESOURCE, "LockResource", 1, "lock resource failed\n"}};

class BitmapUtilsLeaks : public BitmapUtils, public testing::WithParamInterface<LeakCase> { };

TEST_P(BitmapUtilsLeaks, EverythingMadeIsGivenBackAndTheDiagnosticsAreExact)
{
    const LeakCase& road = GetParam();
    IDirectDrawSurface* surface = Offscreen(16, 16);
    const std::string path = GradientFile(16, 16);
    HBITMAP bitmap = LoadFile(path);
    test::RegisterResource("LEAK_PALETTE", RT_BITMAP, SixteenColorBmp(false));
    test::RegisterResource("LEAK_PICTURE", RT_BITMAP, bmptest::Bmp24(16, 16, Gradient, false));
    const int gdi = test::LiveGdiObjects(), surfaces = test::LiveSurfaces(),
              palettes = test::LivePalettes();

    if (road.failing != NULL)
        test::FailCall(road.failing, road.nth);
    IDirectDrawSurface* made = NULL;
    IDirectDrawPalette* palette = NULL;
    switch (road.road) {
    case COPY:
        CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
        break;
    case RELOAD:
        EXPECT_EQ(ReloadBitmap(surface, path.c_str()) == DD_OK, road.failing == NULL);
        break;
    case RELOAD_RESOURCE:
        EXPECT_EQ(ReloadBitmap(surface, "LEAK_PICTURE"), DD_OK);
        break;
    case RELOAD_UNKNOWN:
        EXPECT_EQ(ReloadBitmap(surface, "NO_SUCH_BITMAP"), E_FAIL);
        break;
    case LOAD_SURFACE:
        made = LoadBitmapSurface(dd, path.c_str(), 0, 0);
        break;
    case LOAD_UNKNOWN:
        EXPECT_EQ(made = LoadBitmapSurface(dd, "NO_SUCH_BITMAP", 32, 32), nullptr);
        break;
    case MATCH:
        MatchColor(surface, RGB(1, 2, 3));
        break;
    case COLOR_KEY:
        SetSourceColorKey(surface, RGB(9, 9, 9));
        break;
    case PALETTE_FILE:
        palette = LoadPaletteFromBitmap(dd, path.c_str());
        break;
    case PALETTE_RESOURCE:
        palette = LoadPaletteFromBitmap(dd, "LEAK_PALETTE");
        break;
    }
    if (made != NULL)
        made->Release();
    if (palette != NULL)
        palette->Release();

    test::ClearFailures();
    EXPECT_EQ(test::LiveGdiObjects(), gdi);
    EXPECT_EQ(test::LiveSurfaces(), surfaces);
    EXPECT_EQ(test::LivePalettes(), palettes);
    EXPECT_EQ(test::TakeDebugOutput(), road.debugOutput);
    // Neither the surface's context nor its lock is left held, and the
    // caller's bitmap survives.
    HDC dc;
    EXPECT_EQ(surface->GetDC(&dc), DD_OK);
    surface->ReleaseDC(dc);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(NULL, &desc, 0, NULL), DD_OK);
    surface->Unlock(NULL);
    BITMAP info;
    EXPECT_NE(GetObjectA(bitmap, sizeof(info), &info), 0);
}

INSTANTIATE_TEST_SUITE_P(Roads, BitmapUtilsLeaks, testing::ValuesIn(LEAK_CASES),
    [](const testing::TestParamInfo<LeakCase>& info) { return std::string(info.param.name); });

// ---- Null objects ---------------------------------------------------------------------

TEST_F(BitmapUtils, NullObjectsGiveTheFailureValueAndTouchNothing)
{
    const std::string path = GradientFile(16, 16);
    test::RegisterResource("NULL_PALETTE", RT_BITMAP, SixteenColorBmp(false));
    // Each call with a name or colour that would otherwise get it going.
    const std::pair<const char*, std::function<bool()>> calls[] = {
        {"LoadBitmapSurface", [&] { return LoadBitmapSurface(NULL, path.c_str(), 0, 0) == NULL; }},
        {"LoadPaletteFromBitmap resource",
            [] { return LoadPaletteFromBitmap(NULL, "NULL_PALETTE") == NULL; }},
        {"LoadPaletteFromBitmap file",
            [&] { return LoadPaletteFromBitmap(NULL, path.c_str()) == NULL; }},
        {"MatchColor", [] { return MatchColor(NULL, RGB(1, 2, 3)) == CLR_INVALID; }},
        {"MatchColor CLR_INVALID", [] { return MatchColor(NULL, CLR_INVALID) == CLR_INVALID; }},
        {"SetSourceColorKey", [] { return SetSourceColorKey(NULL, RGB(1, 2, 3)) == E_FAIL; }}};
    for (const auto& [what, call] : calls) {
        test::StartRecording();
        EXPECT_TRUE(call()) << what;
        EXPECT_TRUE(test::StopRecording().empty()) << what;
    }
    EXPECT_EQ(test::TakeDebugOutput(), "");
}

}  // namespace
