// The bitmap, colour-key and palette utilities on the layer: what reaches the
// surfaces and palettes, the diagnostic lines, the order of the platform
// calls, and that every road gives back what it made.
#include "display/bitmap_utils.h"
#include "display/display_state.h"
#include "display/palette_rules.h"
#include "platform/layer/test_controls.h"
#include "platform/win32.h"
#include "support/bitmap_files.h"
#include "support/test_window.h"

#include <climits>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

using layer::test::Pixels;
using layer::test::RecordedCall;
using testbmp::ColorTableEntry;

constexpr uint16_t RED_565 = 0xF800;
constexpr uint16_t GREEN_565 = 0x07E0;
constexpr uint16_t BLUE_565 = 0x001F;
constexpr uint16_t WHITE_565 = 0xFFFF;

// A picture in four quadrants: red, green / blue, white.
const uint32_t QUADRANT_RGB[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
const uint16_t QUADRANT_565[4] = {RED_565, GREEN_565, BLUE_565, WHITE_565};

int QuadrantOf(int x, int y, int width, int height)
{
    return (x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0);
}

// A picture where nearly every pixel differs from its neighbours.
uint32_t Gradient(int x, int y)
{
    return static_cast<uint32_t>((x * 4) & 0xFF) << 16 | static_cast<uint32_t>((y * 4) & 0xFF) << 8
        | static_cast<uint32_t>(((x + y) * 2 + 7) & 0xFF);
}

// Sixteen table entries, each byte different, reserved bytes not 0.
std::vector<ColorTableEntry> SixteenColors(uint8_t seed)
{
    std::vector<ColorTableEntry> table;
    for (int i = 0; i < 16; ++i) {
        const uint8_t base = static_cast<uint8_t>(seed + i * 13);
        table.push_back({base, static_cast<uint8_t>(base + 80), static_cast<uint8_t>(base + 160),
            static_cast<uint8_t>(i + 1)});
    }
    return table;
}

std::vector<uint8_t> SixteenColorDib(uint8_t seed)
{
    return testbmp::MakeDib(8, 8, 4, SixteenColors(seed),
        [](int x, int y) { return static_cast<uint32_t>((x + 3 * y) % 16); });
}

std::vector<PALETTEENTRY> Ramp()
{
    std::vector<PALETTEENTRY> table(PALETTE_SIZE);
    BuildDefaultPalette(table.data());
    return table;
}

// A palette made without DDPCAPS_ALLOW256 keeps entries 0 and 255 black and
// white on the platform, whatever it is given; only their flags are ours.
void ExpectEntry(const PALETTEENTRY& actual, const void* expectedBytes, int index)
{
    PALETTEENTRY expected;
    std::memcpy(&expected, expectedBytes, sizeof(expected));
    if (index == 0 || index == PALETTE_SIZE - 1) {
        EXPECT_EQ(actual.peFlags, expected.peFlags) << "entry " << index;
        return;
    }
    EXPECT_EQ(actual.peRed, expected.peRed) << "entry " << index;
    EXPECT_EQ(actual.peGreen, expected.peGreen) << "entry " << index;
    EXPECT_EQ(actual.peBlue, expected.peBlue) << "entry " << index;
    EXPECT_EQ(actual.peFlags, expected.peFlags) << "entry " << index;
}

// Entries 0 to 15 from the table in palette order; flags are the reserved
// bytes for a file, 0 for a resource.
void ExpectTableEntries(const std::vector<PALETTEENTRY>& entries,
    const std::vector<ColorTableEntry>& colors, bool fromFile)
{
    for (int i = 0; i < 16; ++i) {
        const PALETTEENTRY expected
            = {colors[i][2], colors[i][1], colors[i][0], fromFile ? colors[i][3] : uint8_t{0}};
        ExpectEntry(entries[i], &expected, i);
    }
}

void ExpectEntriesFrom(const std::vector<PALETTEENTRY>& actual,
    const std::vector<PALETTEENTRY>& expected, int first, int last)
{
    for (int i = first; i < last; ++i)
        ExpectEntry(actual[i], &expected[i], i);
}

std::vector<std::string> OperationsAmong(
    const std::vector<RecordedCall>& calls, std::initializer_list<const char*> names)
{
    std::vector<std::string> result;
    for (const RecordedCall& call : calls) {
        for (const char* name : names) {
            if (call.operation == name)
                result.push_back(call.operation);
        }
    }
    return result;
}

int CountOf(const std::vector<RecordedCall>& calls, const char* name)
{
    return static_cast<int>(OperationsAmong(calls, {name}).size());
}

std::pair<DWORD, DWORD> SizeOf(IDirectDrawSurface* surface)
{
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    return {desc.dwWidth, desc.dwHeight};
}

class BitmapUtils : public testing::Test {
public:
    void SetUp() override
    {
        layer::test::ResetLayer();
        window = CreateTestWindow();
        ASSERT_NE(window, static_cast<HWND>(NULL));
        ASSERT_EQ(DirectDrawCreate(NULL, &directDraw, NULL), DD_OK);
        ASSERT_EQ(
            directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
        layer::test::TakeDebugOutput();
    }

    void TearDown() override
    {
        layer::test::ClearFailures();
        layer::test::StopRecording();
        DisplayState.DisplayPalette = NULL;
        for (IDirectDrawPalette* palette : palettes)
            palette->Release();
        for (IDirectDrawSurface* surface : surfaces)
            surface->Release();
        for (HBITMAP bitmap : bitmaps)
            DeleteObject(bitmap);
        if (directDraw != NULL)
            directDraw->Release();
        if (window != NULL)
            DestroyWindow(window);
    }

    IDirectDrawSurface* Offscreen(int width, int height)
    {
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = width;
        desc.dwHeight = height;
        IDirectDrawSurface* surface = NULL;
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, NULL), DD_OK);
        if (surface != NULL)
            surfaces.push_back(surface);
        return surface;
    }

    // Keeps a surface the test got from the module, for release at the end.
    IDirectDrawSurface* Own(IDirectDrawSurface* surface)
    {
        if (surface != NULL)
            surfaces.push_back(surface);
        return surface;
    }

    IDirectDrawPalette* Own(IDirectDrawPalette* palette)
    {
        if (palette != NULL)
            palettes.push_back(palette);
        return palette;
    }

    std::string WriteBmp(const std::string& name, const std::vector<uint8_t>& dib)
    {
        return folder.Write(name, testbmp::AsBmpFile(dib));
    }

    HBITMAP LoadFile(const std::string& path)
    {
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
            NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
        EXPECT_NE(bitmap, static_cast<HBITMAP>(NULL)) << path;
        if (bitmap != NULL)
            bitmaps.push_back(bitmap);
        return bitmap;
    }

    HBITMAP Picture(int width, int height, const std::function<uint32_t(int, int)>& rgb)
    {
        const std::string name
            = "picture" + std::to_string(bitmaps.size()) + "_" + std::to_string(width) + ".bmp";
        return LoadFile(WriteBmp(name, testbmp::MakeDib24(width, height, rgb)));
    }

    void Fill(IDirectDrawSurface* surface, const std::function<uint16_t(int, int)>& value)
    {
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            uint16_t* row = reinterpret_cast<uint16_t*>(
                static_cast<uint8_t*>(desc.lpSurface) + static_cast<ptrdiff_t>(y) * desc.lPitch);
            for (DWORD x = 0; x < desc.dwWidth; ++x)
                row[x] = value(static_cast<int>(x), static_cast<int>(y));
        }
        surface->Unlock(NULL);
    }

    std::vector<PALETTEENTRY> Entries(IDirectDrawPalette* palette)
    {
        std::vector<PALETTEENTRY> entries(PALETTE_SIZE);
        EXPECT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
        if (palette != NULL) {
            EXPECT_EQ(palette->GetEntries(0, 0, PALETTE_SIZE, entries.data()), DD_OK);
        }
        return entries;
    }

    std::vector<PALETTEENTRY> PaletteOf(LPCSTR name)
    {
        return Entries(Own(LoadPaletteFromBitmap(directDraw, name)));
    }

    void RegisterBitmapResource(const char* name, const std::vector<uint8_t>& dib)
    {
        layer::test::RegisterResource(name, RT_BITMAP, dib);
    }

    HWND window = NULL;
    IDirectDraw* directDraw = NULL;
    std::vector<IDirectDrawSurface*> surfaces;
    std::vector<IDirectDrawPalette*> palettes;
    std::vector<HBITMAP> bitmaps;
    testbmp::TempFolder folder;
};

// ---- LoadPaletteFromBitmap ------------------------------------------------------

TEST_F(BitmapUtils, PaletteFromResourceTakesItsTableWithFlagsZero)
{
    const std::vector<ColorTableEntry> colors = SixteenColors(3);
    RegisterBitmapResource("PALETTE16", SixteenColorDib(3));

    const std::vector<PALETTEENTRY> entries = PaletteOf("PALETTE16");

    ExpectTableEntries(entries, colors, false);
    ExpectEntriesFrom(entries, Ramp(), 16, PALETTE_SIZE);
}

TEST_F(BitmapUtils, PaletteFromFileExchangesRedAndBlueAndKeepsTheTailRaw)
{
    const std::vector<ColorTableEntry> colors = SixteenColors(5);
    std::vector<uint8_t> file = testbmp::AsBmpFile(SixteenColorDib(5));
    ASSERT_EQ(file.size(), 118u + 32u);
    file.push_back(0xC1);  // half an entry past the pixels: the rest stays ramp
    file.push_back(0xC2);
    const std::string path = folder.Write("sixteen.bmp", file);

    const std::vector<PALETTEENTRY> entries = PaletteOf(path.c_str());

    ExpectTableEntries(entries, colors, true);
    // File bytes 118 on, unconverted, as far as the file goes.
    for (int i = 16; i < 24; ++i)
        ExpectEntry(entries[i], &file[118 + 4 * (i - 16)], i);
    const std::vector<PALETTEENTRY> ramp = Ramp();
    EXPECT_EQ(entries[24].peRed, 0xC1);
    EXPECT_EQ(entries[24].peGreen, 0xC2);
    EXPECT_EQ(entries[24].peBlue, ramp[24].peBlue);
    EXPECT_EQ(entries[24].peFlags, ramp[24].peFlags);
    ExpectEntriesFrom(entries, ramp, 25, PALETTE_SIZE);
}

TEST_F(BitmapUtils, PaletteFromTrueColourFileHoldsTheBytesAfterTheHeader)
{
    struct Case {
        int width, height;
    };
    // 8 x 8 ends inside the table; 32 x 12 reaches past its 1024 bytes.
    for (const Case& c : {Case{8, 8}, Case{32, 12}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::vector<uint8_t> file = testbmp::AsBmpFile(testbmp::MakeDib24(
            c.width, c.height, [](int x, int y) { return Gradient(x, y) ^ 0x5A3C00; }));
        const std::string path = folder.Write("true" + std::to_string(c.width) + ".bmp", file);

        const std::vector<PALETTEENTRY> entries = PaletteOf(path.c_str());

        const size_t fileEntries = std::min<size_t>((file.size() - 54) / 4, PALETTE_SIZE);
        for (size_t i = 0; i < fileEntries; ++i)
            ExpectEntry(entries[i], &file[54 + 4 * i], static_cast<int>(i));
        ExpectEntriesFrom(entries, Ramp(), static_cast<int>(fileEntries), PALETTE_SIZE);
    }
}

TEST_F(BitmapUtils, PaletteWithoutABitmapIsTheRamp)
{
    const std::string missing = (folder.path / "missing.bmp").string();
    for (LPCSTR name : {static_cast<LPCSTR>(NULL), "NO_SUCH_BITMAP", missing.c_str()}) {
        SCOPED_TRACE(name == NULL ? "null name" : name);
        ExpectEntriesFrom(PaletteOf(name), Ramp(), 0, PALETTE_SIZE);
    }
    EXPECT_EQ(layer::test::TakeDebugOutput(), "");
}

TEST_F(BitmapUtils, FileEndingInsideItsHeadersCountsAsAFailedHeader)
{
    // An 8-bit header declaring 256 entries: were its missing bytes taken as
    // a header, the whole ramp would come out with red and blue exchanged.
    const std::vector<uint8_t> whole
        = testbmp::AsBmpFile(testbmp::MakeDib(4, 4, 8, {}, [](int, int) { return 0u; }));
    for (size_t length : {0u, 10u, 14u, 30u, 50u, 53u}) {
        SCOPED_TRACE(std::to_string(length) + " bytes");
        const std::string path = folder.Write("short" + std::to_string(length) + ".bmp",
            std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        ExpectEntriesFrom(PaletteOf(path.c_str()), Ramp(), 0, PALETTE_SIZE);
    }

    // With both headers complete the declared entries are converted, even
    // where the file has no table for them.
    const std::string path
        = folder.Write("headers_only.bmp", std::vector<uint8_t>(whole.begin(), whole.begin() + 54));
    const std::vector<PALETTEENTRY> entries = PaletteOf(path.c_str());
    const std::vector<PALETTEENTRY> ramp = Ramp();
    for (int i = 0; i < PALETTE_SIZE; ++i) {
        EXPECT_EQ(entries[i].peRed, ramp[i].peBlue) << i;
        EXPECT_EQ(entries[i].peBlue, ramp[i].peRed) << i;
    }
}

TEST_F(BitmapUtils, ResourceTableTakenOnlyAsFarAsTheResourceGoes)
{
    const std::vector<ColorTableEntry> colors = SixteenColors(9);
    // An 8-bit header (256 entries declared) followed by only 16 and a half.
    std::vector<uint8_t> cut(40, 0);
    testbmp::PutLE(cut, 0, 40, 4);
    testbmp::PutLE(cut, 4, 4, 4);
    testbmp::PutLE(cut, 8, 4, 4);
    testbmp::PutLE(cut, 12, 1, 2);
    testbmp::PutLE(cut, 14, 8, 2);
    for (const ColorTableEntry& entry : colors)
        cut.insert(cut.end(), entry.begin(), entry.end());
    cut.push_back(0xEE);
    cut.push_back(0xEE);
    RegisterBitmapResource("CUT_TABLE", cut);

    const std::vector<PALETTEENTRY> entries = PaletteOf("CUT_TABLE");
    ExpectTableEntries(entries, colors, false);
    ExpectEntriesFrom(entries, Ramp(), 16, PALETTE_SIZE);

    // Shorter than its own header, and a header size past the data.
    RegisterBitmapResource("TOO_SHORT", std::vector<uint8_t>(cut.begin(), cut.begin() + 20));
    ExpectEntriesFrom(PaletteOf("TOO_SHORT"), Ramp(), 0, PALETTE_SIZE);
    std::vector<uint8_t> farTable = cut;
    testbmp::PutLE(farTable, 0, 0x7FFFFFF0u, 4);
    RegisterBitmapResource("FAR_TABLE", farTable);
    ExpectEntriesFrom(PaletteOf("FAR_TABLE"), Ramp(), 0, PALETTE_SIZE);
    EXPECT_EQ(layer::test::TakeDebugOutput(), "");
}

TEST_F(BitmapUtils, UnreadableResourceGivesTheRampAndOneLine)
{
    RegisterBitmapResource("PALETTE16", SixteenColorDib(3));
    layer::test::FailCall("LockResource");
    ExpectEntriesFrom(PaletteOf("PALETTE16"), Ramp(), 0, PALETTE_SIZE);
    EXPECT_EQ(layer::test::TakeDebugOutput(), "lock resource failed\n");
}

TEST_F(BitmapUtils, ResourceWinsOverAFileOfTheSameName)
{
    const std::string path = folder.Write("both.bmp",
        testbmp::AsBmpFile(
            testbmp::MakeDib(16, 16, 4, SixteenColors(40), [](int, int) { return 0u; })));
    std::vector<uint8_t> resource = testbmp::MakeDib24(24, 8, [](int, int) { return 0x0000FFu; });
    RegisterBitmapResource(path.c_str(), resource);

    // The resource is 24-bit, so it gives no entries, yet the file is not read.
    ExpectEntriesFrom(PaletteOf(path.c_str()), Ramp(), 0, PALETTE_SIZE);

    IDirectDrawSurface* loaded = Own(LoadBitmapSurface(directDraw, path.c_str(), 0, 0));
    ASSERT_NE(loaded, static_cast<IDirectDrawSurface*>(NULL));
    EXPECT_EQ(SizeOf(loaded), std::make_pair(24u, 8u));
    EXPECT_EQ(layer::test::ReadSurface(loaded).at(0, 0), BLUE_565);

    IDirectDrawSurface* surface = Offscreen(16, 16);
    ASSERT_EQ(ReloadBitmap(surface, path.c_str()), DD_OK);
    EXPECT_EQ(layer::test::ReadSurface(surface).at(15, 15), BLUE_565);
}

// ---- SetPaletteEntry --------------------------------------------------------------

TEST_F(BitmapUtils, SetPaletteEntryWritesPaletteAndShadowWithNoCollapse)
{
    IDirectDrawPalette* palette = Own(LoadPaletteFromBitmap(directDraw, NULL));
    ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
    DisplayState.DisplayPalette = palette;

    struct Case {
        int index;
        BYTE red, green, blue;
    };
    for (const Case& c : {Case{0, 1, 2, 3}, Case{7, 200, 100, 50}, Case{255, 255, 0, 128}}) {
        SCOPED_TRACE(c.index);
        std::vector<PALETTEENTRY> shadowBefore(PaletteShadow, PaletteShadow + PALETTE_SIZE);
        EXPECT_EQ(SetPaletteEntry(c.index, c.red, c.green, c.blue), 1);

        const PALETTEENTRY expected = {c.red, c.green, c.blue, PC_NOCOLLAPSE};
        ExpectEntry(Entries(palette)[c.index], &expected, c.index);
        for (int i = 0; i < PALETTE_SIZE; ++i) {
            const PALETTEENTRY& shadow = i == c.index ? expected : shadowBefore[i];
            EXPECT_EQ(std::memcmp(&PaletteShadow[i], &shadow, sizeof(shadow)), 0) << "shadow " << i;
        }
    }
}

TEST_F(BitmapUtils, SetPaletteEntryOutsideTheTableOrWithoutPaletteWritesNothing)
{
    IDirectDrawPalette* palette = Own(LoadPaletteFromBitmap(directDraw, NULL));
    ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
    const std::vector<PALETTEENTRY> shadowBefore(PaletteShadow, PaletteShadow + PALETTE_SIZE);

    struct Case {
        int index;
        IDirectDrawPalette* displayPalette;
    };
    for (const Case& c : {Case{-1, palette}, Case{256, palette}, Case{INT_MIN, palette},
             Case{INT_MAX, palette}, Case{0, NULL}, Case{255, NULL}}) {
        SCOPED_TRACE(std::to_string(c.index) + (c.displayPalette == NULL ? " no palette" : ""));
        DisplayState.DisplayPalette = c.displayPalette;
        layer::test::StartRecording();
        EXPECT_EQ(SetPaletteEntry(c.index, 9, 9, 9), 0);
        EXPECT_EQ(CountOf(layer::test::StopRecording(), "SetEntries"), 0);
        EXPECT_EQ(std::memcmp(PaletteShadow, shadowBefore.data(), sizeof(PaletteShadow)), 0);
    }
    DisplayState.DisplayPalette = NULL;
    ExpectEntriesFrom(Entries(palette), Ramp(), 0, PALETTE_SIZE);
}

// ---- CopyBitmapToSurface ------------------------------------------------------------

TEST_F(BitmapUtils, CopyRefusesANullBitmapOrSurfaceWithoutAnyCall)
{
    HBITMAP bitmap = Picture(8, 8, Gradient);
    IDirectDrawSurface* surface = Offscreen(8, 8);
    layer::test::StartRecording();
    EXPECT_EQ(CopyBitmapToSurface(surface, NULL, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(NULL, bitmap, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(NULL, NULL, 0, 0, 8, 8), E_FAIL);
    EXPECT_TRUE(layer::test::StopRecording().empty());
}

TEST_F(BitmapUtils, CopyOfTheWholeBitmapKeepsChannelsAndRows)
{
    HBITMAP bitmap
        = Picture(64, 64, [](int x, int y) { return QUADRANT_RGB[QuadrantOf(x, y, 64, 64)]; });
    IDirectDrawSurface* surface = Offscreen(64, 64);
    ASSERT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), DD_OK);
    const Pixels pixels = layer::test::ReadSurface(surface);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(pixels.at(x, y), QUADRANT_565[QuadrantOf(x, y, 64, 64)]) << x << ", " << y;
    }
}

TEST_F(BitmapUtils, CopyStretchesTheChosenRectangleOverTheSurface)
{
    HBITMAP bitmap = Picture(64, 64, Gradient);
    IDirectDrawSurface* reference = Offscreen(64, 64);
    ASSERT_EQ(CopyBitmapToSurface(reference, bitmap, 0, 0, 0, 0), DD_OK);
    const Pixels source = layer::test::ReadSurface(reference);

    struct Case {
        const char* what;
        int x, y, width, height;
        int (*sourceX)(int);
        int (*sourceY)(int);
    };
    const Case cases[] = {
        {"width and height 0", 0, 0, 0, 0, [](int x) { return x; }, [](int y) { return y; }},
        {"width 32, height 0", 0, 0, 32, 0, [](int x) { return x / 2; }, [](int y) { return y; }},
        {"width 0, height 32", 0, 0, 0, 32, [](int x) { return x; }, [](int y) { return y / 2; }},
        {"32 x 32 at 16, 8", 16, 8, 32, 32, [](int x) { return 16 + x / 2; },
            [](int y) { return 8 + y / 2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IDirectDrawSurface* surface = Offscreen(64, 64);
        ASSERT_EQ(CopyBitmapToSurface(surface, bitmap, c.x, c.y, c.width, c.height), DD_OK);
        const Pixels pixels = layer::test::ReadSurface(surface);
        int wrong = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x)
                wrong += pixels.at(x, y) != source.at(c.sourceX(x), c.sourceY(y));
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(BitmapUtils, SmallBitmapDoubledOntoALargerSurface)
{
    HBITMAP bitmap = Picture(32, 32, Gradient);
    IDirectDrawSurface* reference = Offscreen(32, 32);
    ASSERT_EQ(CopyBitmapToSurface(reference, bitmap, 0, 0, 0, 0), DD_OK);
    const Pixels source = layer::test::ReadSurface(reference);

    IDirectDrawSurface* surface = Offscreen(64, 64);
    ASSERT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), DD_OK);
    const Pixels pixels = layer::test::ReadSurface(surface);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(pixels.at(x, y), source.at(x / 2, y / 2)) << x << ", " << y;
    }
}

TEST_F(BitmapUtils, ReloadHalvesALargeBitmapAndKeepsTheSurfaceSize)
{
    const auto blocks = [](int x, int y) { return Gradient(x / 2, y / 2); };
    const std::string path = WriteBmp("large.bmp", testbmp::MakeDib24(128, 128, blocks));
    IDirectDrawSurface* reference = Own(LoadBitmapSurface(directDraw, path.c_str(), 0, 0));
    ASSERT_NE(reference, static_cast<IDirectDrawSurface*>(NULL));
    const Pixels source = layer::test::ReadSurface(reference);

    IDirectDrawSurface* surface = Offscreen(64, 64);
    EXPECT_EQ(ReloadBitmap(surface, path.c_str()), DD_OK);
    EXPECT_EQ(SizeOf(surface), std::make_pair(64u, 64u));
    const Pixels pixels = layer::test::ReadSurface(surface);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(pixels.at(x, y), source.at(2 * x, 2 * y)) << x << ", " << y;
    }
    EXPECT_EQ(layer::test::TakeDebugOutput(), "");
}

TEST_F(BitmapUtils, CopyCallsThePlatformInOrder)
{
    HBITMAP bitmap = Picture(16, 16, Gradient);
    IDirectDrawSurface* surface = Offscreen(16, 16);
    layer::test::StartRecording();
    ASSERT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), DD_OK);
    const std::vector<std::string> expected = {"Restore", "CreateCompatibleDC", "SelectObject",
        "GetObjectA", "GetSurfaceDesc", "GetDC", "StretchBlt", "ReleaseDC", "DeleteDC"};
    EXPECT_EQ(OperationsAmong(layer::test::StopRecording(),
                  {"Restore", "CreateCompatibleDC", "SelectObject", "GetObjectA", "GetSurfaceDesc",
                      "GetDC", "StretchBlt", "ReleaseDC", "DeleteDC", "DeleteObject"}),
        expected);
}

TEST_F(BitmapUtils, CopyRestoresALostSurfaceFirst)
{
    HBITMAP bitmap
        = Picture(16, 16, [](int x, int y) { return QUADRANT_RGB[QuadrantOf(x, y, 16, 16)]; });
    IDirectDrawSurface* surface = Offscreen(16, 16);
    layer::test::MarkSurfaceLost(surface);
    ASSERT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), DD_OK);
    const Pixels pixels = layer::test::ReadSurface(surface);
    EXPECT_EQ(pixels.at(0, 0), RED_565);
    EXPECT_EQ(pixels.at(15, 15), WHITE_565);
}

// A failure the layer is told to give, as the platform call itself answers it.
HRESULT InjectedFailure(const char* operation, IDirectDrawSurface* surface)
{
    layer::test::FailCall(operation, 1, 2, surface);
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    HDC dc;
    const HRESULT result
        = std::string(operation) == "GetDC" ? surface->GetDC(&dc) : surface->GetSurfaceDesc(&desc);
    EXPECT_NE(result, DD_OK) << operation;
    return result;
}

TEST_F(BitmapUtils, CopyThatCannotDrawReturnsTheFailureAndLeavesTheSurface)
{
    HBITMAP bitmap = Picture(16, 16, Gradient);
    for (const char* operation : {"CreateCompatibleDC", "GetDC", "GetSurfaceDesc"}) {
        SCOPED_TRACE(operation);
        IDirectDrawSurface* surface = Offscreen(16, 16);
        Fill(surface, [](int, int) { return uint16_t{0x1234}; });
        HRESULT expected = E_FAIL;
        if (std::string(operation) == "CreateCompatibleDC")
            layer::test::FailCall(operation);
        else
            expected = InjectedFailure(operation, surface);

        layer::test::StartRecording();
        EXPECT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), expected);
        const std::vector<RecordedCall> calls = layer::test::StopRecording();
        EXPECT_EQ(CountOf(calls, "Restore"), 1);
        EXPECT_EQ(CountOf(calls, "StretchBlt"), 0);
        EXPECT_EQ(CountOf(calls, "ReleaseDC"), 0);
        EXPECT_EQ(layer::test::ReadSurface(surface).at(5, 5), 0x1234);
    }
}

// ---- ReloadBitmap and LoadBitmapSurface -----------------------------------------------

TEST_F(BitmapUtils, ReloadOfAnUnknownNameWritesOneLineAndLeavesTheSurface)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    Fill(surface, [](int x, int y) { return static_cast<uint16_t>(x * 100 + y); });
    const std::string missing = (folder.path / "missing.bmp").string();
    EXPECT_EQ(ReloadBitmap(surface, missing.c_str()), E_FAIL);
    EXPECT_EQ(layer::test::TakeDebugOutput(), "handle is null\n");
    const Pixels pixels = layer::test::ReadSurface(surface);
    EXPECT_EQ(pixels.at(3, 7), 307);
    EXPECT_EQ(pixels.at(15, 0), 1500);
}

TEST_F(BitmapUtils, LoadSurfaceTakesTheBitmapsSizeOrTheOneAskedFor)
{
    const std::string path = WriteBmp("wide.bmp", testbmp::MakeDib24(48, 40, [](int x, int y) {
        return QUADRANT_RGB[QuadrantOf(x, y, 48, 40)];
    }));

    IDirectDrawSurface* own = Own(LoadBitmapSurface(directDraw, path.c_str(), 0, 0));
    ASSERT_NE(own, static_cast<IDirectDrawSurface*>(NULL));
    EXPECT_EQ(SizeOf(own), std::make_pair(48u, 40u));
    const Pixels pixels = layer::test::ReadSurface(own);
    int wrong = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 48; ++x)
            wrong += pixels.at(x, y) != QUADRANT_565[QuadrantOf(x, y, 48, 40)];
    }
    EXPECT_EQ(wrong, 0);

    IDirectDrawSurface* asked = Own(LoadBitmapSurface(directDraw, path.c_str(), 32, 32));
    ASSERT_NE(asked, static_cast<IDirectDrawSurface*>(NULL));
    EXPECT_EQ(SizeOf(asked), std::make_pair(32u, 32u));
    const Pixels scaled = layer::test::ReadSurface(asked);
    EXPECT_EQ(scaled.at(0, 0), RED_565);
    EXPECT_EQ(scaled.at(31, 0), GREEN_565);
    EXPECT_EQ(scaled.at(0, 31), BLUE_565);
    EXPECT_EQ(scaled.at(31, 31), WHITE_565);
}

// ---- MatchColor and SetSourceColorKey ---------------------------------------------------

struct ColorCase {
    COLORREF color;
    uint16_t pixel;
};
const ColorCase COLOR_CASES[] = {{RGB(255, 0, 0), RED_565}, {RGB(0, 255, 0), GREEN_565},
    {RGB(0, 0, 255), BLUE_565}, {RGB(255, 255, 255), WHITE_565}, {RGB(0, 0, 0), 0}};

// Top-left 0x1234 with a different pixel right after it, so that an unmasked
// read shows.
uint16_t MatchBackground(int x, int y)
{
    if (y == 0 && x <= 1)
        return x == 0 ? 0x1234 : 0xABCD;
    return 0x5555;
}

TEST_F(BitmapUtils, MatchColorGivesThePixelValueAndPutsThePixelBack)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    for (const ColorCase& c : COLOR_CASES) {
        SCOPED_TRACE(c.color);
        Fill(surface, MatchBackground);
        EXPECT_EQ(MatchColor(surface, c.color), c.pixel);
        const Pixels pixels = layer::test::ReadSurface(surface);
        EXPECT_EQ(pixels.at(0, 0), 0x1234);
        EXPECT_EQ(pixels.at(1, 0), 0xABCD);
    }
}

TEST_F(BitmapUtils, MatchColorOfNoColourReadsThePixelWithoutGdi)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    Fill(surface, MatchBackground);
    layer::test::StartRecording();
    EXPECT_EQ(MatchColor(surface, CLR_INVALID), 0x1234u);
    const std::vector<RecordedCall> calls = layer::test::StopRecording();
    EXPECT_TRUE(OperationsAmong(calls, {"GetDC", "ReleaseDC", "GetPixel", "SetPixel"}).empty());
    EXPECT_EQ(CountOf(calls, "Lock"), 1);
    EXPECT_EQ(CountOf(calls, "Unlock"), 1);
}

TEST_F(BitmapUtils, MatchColorNeverHoldsTheContextAndTheLockTogether)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    layer::test::StartRecording();
    MatchColor(surface, RGB(255, 0, 0));
    const std::vector<std::string> expected = {"GetDC", "GetPixel", "SetPixel", "ReleaseDC", "Lock",
        "Unlock", "GetDC", "SetPixel", "ReleaseDC"};
    EXPECT_EQ(OperationsAmong(layer::test::StopRecording(),
                  {"GetDC", "GetPixel", "SetPixel", "ReleaseDC", "Lock", "Unlock"}),
        expected);
}

TEST_F(BitmapUtils, MatchColorRetriesWhileTheSurfaceIsStillDrawing)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    Fill(surface, MatchBackground);
    layer::test::LockStillDrawing(surface, 3);
    layer::test::StartRecording();
    EXPECT_EQ(MatchColor(surface, RGB(0, 0, 255)), BLUE_565);
    const std::vector<RecordedCall> calls = layer::test::StopRecording();
    EXPECT_EQ(CountOf(calls, "Lock"), 4);
    EXPECT_EQ(CountOf(calls, "Unlock"), 1);
    EXPECT_EQ(layer::test::ReadSurface(surface).at(0, 0), 0x1234);
}

TEST_F(BitmapUtils, MatchColorWithAFailingLockGivesNoColourAndPutsThePixelBack)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    Fill(surface, MatchBackground);
    layer::test::FailCall("Lock", 1, 1, surface);
    layer::test::StartRecording();
    EXPECT_EQ(MatchColor(surface, RGB(255, 0, 0)), CLR_INVALID);
    EXPECT_EQ(CountOf(layer::test::StopRecording(), "Unlock"), 0);
    EXPECT_EQ(layer::test::ReadSurface(surface).at(0, 0), 0x1234);
}

TEST_F(BitmapUtils, MatchColorWhenAContextCannotBeHad)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);

    // No first context: nothing written, the present pixel comes back.
    Fill(surface, MatchBackground);
    layer::test::FailCall("GetDC", 1, 1, surface);
    layer::test::StartRecording();
    EXPECT_EQ(MatchColor(surface, RGB(255, 0, 0)), 0x1234u);
    EXPECT_EQ(CountOf(layer::test::StopRecording(), "SetPixel"), 0);
    EXPECT_EQ(layer::test::ReadSurface(surface).at(0, 0), 0x1234);

    // No second context: the matched colour stays in the corner.
    Fill(surface, MatchBackground);
    layer::test::FailCall("GetDC", 2, 1, surface);
    EXPECT_EQ(MatchColor(surface, RGB(0, 255, 0)), GREEN_565);
    EXPECT_EQ(layer::test::ReadSurface(surface).at(0, 0), GREEN_565);
}

TEST_F(BitmapUtils, SourceColorKeyHasEqualLowAndHighValues)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    for (const ColorCase& c : COLOR_CASES) {
        SCOPED_TRACE(c.color);
        Fill(surface, MatchBackground);
        EXPECT_EQ(SetSourceColorKey(surface, c.color), DD_OK);
        DDCOLORKEY key = {0, 0};
        ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, c.pixel);
        EXPECT_EQ(key.dwColorSpaceHighValue, c.pixel);
        EXPECT_EQ(layer::test::ReadSurface(surface).at(0, 0), 0x1234);
    }

    // A failed match still sets a key: CLR_INVALID's value.
    layer::test::FailCall("Lock", 1, 1, surface);
    EXPECT_EQ(SetSourceColorKey(surface, RGB(255, 0, 0)), DD_OK);
    DDCOLORKEY key = {0, 0};
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, CLR_INVALID);
    EXPECT_EQ(key.dwColorSpaceHighValue, CLR_INVALID);
}

// ---- Everything made is given back, on every road -----------------------------------------

enum Road {
    COPY,
    RELOAD,
    RELOAD_RESOURCE,
    RELOAD_UNKNOWN,
    LOAD_SURFACE,
    LOAD_SURFACE_UNKNOWN,
    MATCH_COLOR,
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

const LeakCase LEAK_CASES[] = {
    {"Copy", COPY, NULL, 1, ""},
    {"CopyNoMemoryContext", COPY, "CreateCompatibleDC", 1, "createcompatible dc failed\n"},
    {"CopyNoSurfaceContext", COPY, "GetDC", 1, ""},
    {"CopyNoSurfaceDesc", COPY, "GetSurfaceDesc", 1, ""},
    {"CopySelectFails", COPY, "SelectObject", 1, ""},
    {"Reload", RELOAD, NULL, 1, ""},
    {"ReloadResource", RELOAD_RESOURCE, NULL, 1, ""},
    {"ReloadCopyFails", RELOAD, "GetDC", 1, "ddcopybitmap failed\n"},
    {"ReloadNoMemoryContext", RELOAD, "CreateCompatibleDC", 1,
        "createcompatible dc failed\nddcopybitmap failed\n"},
    {"ReloadUnknown", RELOAD_UNKNOWN, NULL, 1, "handle is null\n"},
    {"LoadSurface", LOAD_SURFACE, NULL, 1, ""},
    {"LoadSurfaceNoSurface", LOAD_SURFACE, "CreateSurface", 1, ""},
    {"LoadSurfaceCopyFails", LOAD_SURFACE, "GetDC", 1, ""},
    {"LoadSurfaceUnknown", LOAD_SURFACE_UNKNOWN, NULL, 1, ""},
    {"MatchColor", MATCH_COLOR, NULL, 1, ""},
    {"MatchColorLockFails", MATCH_COLOR, "Lock", 1, ""},
    {"MatchColorSecondContextFails", MATCH_COLOR, "GetDC", 2, ""},
    {"ColorKey", COLOR_KEY, NULL, 1, ""},
    {"PaletteFile", PALETTE_FILE, NULL, 1, ""},
    {"PaletteNoPalette", PALETTE_FILE, "CreatePalette", 1, ""},
    {"PaletteResource", PALETTE_RESOURCE, NULL, 1, ""},
    {"PaletteResourceUnreadable", PALETTE_RESOURCE, "LockResource", 1, "lock resource failed\n"},
};

void PrintTo(const LeakCase& road, std::ostream* out)
{
    *out << road.name;
}

class BitmapUtilsLeaks : public BitmapUtils, public testing::WithParamInterface<LeakCase> { };

TEST_P(BitmapUtilsLeaks, EverythingMadeIsGivenBack)
{
    const LeakCase& road = GetParam();
    IDirectDrawSurface* surface = Offscreen(16, 16);
    const std::string path = WriteBmp("leak.bmp", testbmp::MakeDib24(16, 16, Gradient));
    HBITMAP bitmap = LoadFile(path);
    RegisterBitmapResource("LEAK_PALETTE", SixteenColorDib(11));
    RegisterBitmapResource("LEAK_PICTURE", testbmp::MakeDib24(16, 16, Gradient));
    layer::test::TakeDebugOutput();
    const int gdiBefore = layer::test::LiveGdiObjects();
    const int surfacesBefore = layer::test::LiveSurfaces();
    const int palettesBefore = layer::test::LivePalettes();

    if (road.failing != NULL)
        layer::test::FailCall(road.failing, road.nth);
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
        made = LoadBitmapSurface(directDraw, path.c_str(), 0, 0);
        break;
    case LOAD_SURFACE_UNKNOWN:
        made = LoadBitmapSurface(directDraw, "NO_SUCH_BITMAP", 32, 32);
        EXPECT_EQ(made, static_cast<IDirectDrawSurface*>(NULL));
        break;
    case MATCH_COLOR:
        MatchColor(surface, RGB(1, 2, 3));
        break;
    case COLOR_KEY:
        SetSourceColorKey(surface, RGB(9, 9, 9));
        break;
    case PALETTE_FILE:
        palette = LoadPaletteFromBitmap(directDraw, path.c_str());
        break;
    case PALETTE_RESOURCE:
        palette = LoadPaletteFromBitmap(directDraw, "LEAK_PALETTE");
        break;
    }
    if (made != NULL)
        made->Release();
    if (palette != NULL)
        palette->Release();

    layer::test::ClearFailures();
    EXPECT_EQ(layer::test::LiveGdiObjects(), gdiBefore);
    EXPECT_EQ(layer::test::LiveSurfaces(), surfacesBefore);
    EXPECT_EQ(layer::test::LivePalettes(), palettesBefore);
    EXPECT_EQ(layer::test::TakeDebugOutput(), road.debugOutput);
    // Neither the surface's context nor its lock is left held, and the
    // caller's bitmap survives.
    HDC dc;
    EXPECT_EQ(surface->GetDC(&dc), DD_OK);
    surface->ReleaseDC(dc);
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(NULL, &desc, 0, NULL), DD_OK);
    surface->Unlock(NULL);
    BITMAP info;
    EXPECT_NE(GetObjectA(bitmap, sizeof(info), &info), 0);
}

INSTANTIATE_TEST_SUITE_P(Roads, BitmapUtilsLeaks, testing::ValuesIn(LEAK_CASES),
    [](const testing::TestParamInfo<LeakCase>& info) { return std::string(info.param.name); });

}  // namespace
