// The bitmap and palette utilities against the platform's own DirectDraw and
// GDI: pixel values of colours, scaled copies and a palette from a .bmp file.
// Win32 calls only, so the same checks run on the real platform.
#include "display/bitmap_utils.h"
#include "display/palette_rules.h"
#include "platform/win32.h"
#include "support/bitmap_files.h"
#include "support/test_window.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct SurfacePixels {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> values;
    DWORD redMask = 0, greenMask = 0, blueMask = 0;
    uint16_t at(int x, int y) const
    {
        return values[static_cast<size_t>(y) * width + x];
    }
};

SurfacePixels Read(IDirectDrawSurface* surface)
{
    SurfacePixels pixels;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
    if (desc.lpSurface == NULL)
        return pixels;
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    pixels.width = static_cast<int>(desc.dwWidth);
    pixels.height = static_cast<int>(desc.dwHeight);
    pixels.redMask = desc.ddpfPixelFormat.dwRBitMask;
    pixels.greenMask = desc.ddpfPixelFormat.dwGBitMask;
    pixels.blueMask = desc.ddpfPixelFormat.dwBBitMask;
    for (int y = 0; y < pixels.height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(desc.lpSurface) + y * desc.lPitch;
        for (int x = 0; x < pixels.width; ++x) {
            uint16_t value;
            std::memcpy(&value, row + 2 * x, sizeof(value));
            pixels.values.push_back(value);
        }
    }
    surface->Unlock(NULL);
    return pixels;
}

// Only the top-left pixel and the one after it are set apart from the rest.
void FillCorner(IDirectDrawSurface* surface, uint16_t corner, uint16_t next)
{
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        uint8_t* row = static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch;
        for (DWORD x = 0; x < desc.dwWidth; ++x) {
            const uint16_t value = y > 0 || x > 1 ? 0x4208 : x == 0 ? corner : next;
            std::memcpy(row + 2 * x, &value, sizeof(value));
        }
    }
    surface->Unlock(NULL);
}

// A picture whose neighbouring pixels nearly all differ, as 0x00RRGGBB.
uint32_t Gradient(int x, int y)
{
    return static_cast<uint32_t>((x * 8) & 0xFF) << 16 | static_cast<uint32_t>((y * 8) & 0xFF) << 8
        | static_cast<uint32_t>(((x ^ y) * 4) & 0xFF);
}

class UtilitiesAgreement : public testing::Test {
public:
    void SetUp() override
    {
        window = CreateTestWindow();
        ASSERT_NE(window, static_cast<HWND>(NULL));
        ASSERT_EQ(DirectDrawCreate(NULL, &directDraw, NULL), DD_OK);
        ASSERT_EQ(
            directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
    }

    void TearDown() override
    {
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

    std::string WritePicture(int width, int height, uint32_t (*rgb)(int, int))
    {
        return folder.Write("picture" + std::to_string(width) + ".bmp",
            testbmp::AsBmpFile(testbmp::MakeDib24(width, height, rgb)));
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

    HWND window = NULL;
    IDirectDraw* directDraw = NULL;
    std::vector<IDirectDrawSurface*> surfaces;
    std::vector<HBITMAP> bitmaps;
    testbmp::TempFolder folder;
};

TEST_F(UtilitiesAgreement, MatchColorFindsEachChannelInTheSurfaceFormat)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    const SurfacePixels format = Read(surface);
    ASSERT_NE(format.redMask, 0u);

    struct Case {
        COLORREF color;
        DWORD pixel;
    };
    const DWORD all = format.redMask | format.greenMask | format.blueMask;
    for (const Case& c : {Case{RGB(255, 0, 0), format.redMask},
             Case{RGB(0, 255, 0), format.greenMask}, Case{RGB(0, 0, 255), format.blueMask},
             Case{RGB(255, 255, 255), all}, Case{RGB(0, 0, 0), 0}}) {
        SCOPED_TRACE(c.color);
        FillCorner(surface, 0x1234, 0xABCD);
        EXPECT_EQ(MatchColor(surface, c.color), c.pixel);
        const SurfacePixels after = Read(surface);
        EXPECT_EQ(after.at(0, 0), 0x1234);
        EXPECT_EQ(after.at(1, 0), 0xABCD);
    }

    FillCorner(surface, 0x1234, 0xABCD);
    EXPECT_EQ(MatchColor(surface, CLR_INVALID), 0x1234u);
}

TEST_F(UtilitiesAgreement, CopyDoublesASmallBitmap)
{
    HBITMAP bitmap = LoadFile(WritePicture(32, 32, Gradient));
    IDirectDrawSurface* reference = Offscreen(32, 32);
    IDirectDrawSurface* surface = Offscreen(64, 64);
    ASSERT_EQ(CopyBitmapToSurface(reference, bitmap, 0, 0, 0, 0), DD_OK);
    ASSERT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), DD_OK);

    const SurfacePixels source = Read(reference);
    const SurfacePixels doubled = Read(surface);
    ASSERT_EQ(doubled.values.size(), 64u * 64u);
    int wrong = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            wrong += doubled.at(x, y) != source.at(x / 2, y / 2);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(UtilitiesAgreement, CopyKeepsRowsAndChannels)
{
    // Red, green / blue, white.
    HBITMAP bitmap = LoadFile(WritePicture(16, 16, [](int x, int y) {
        const uint32_t quadrants[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
        return quadrants[(x >= 8 ? 1 : 0) + (y >= 8 ? 2 : 0)];
    }));
    IDirectDrawSurface* surface = Offscreen(16, 16);
    ASSERT_EQ(CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0), DD_OK);
    const SurfacePixels pixels = Read(surface);
    ASSERT_EQ(pixels.values.size(), 16u * 16u);
    EXPECT_EQ(pixels.at(0, 0), pixels.redMask);
    EXPECT_EQ(pixels.at(15, 0), pixels.greenMask);
    EXPECT_EQ(pixels.at(0, 15), pixels.blueMask);
    EXPECT_EQ(pixels.at(15, 15), pixels.redMask | pixels.greenMask | pixels.blueMask);
}

TEST_F(UtilitiesAgreement, ReloadHalvesAPictureOfTwoByTwoBlocks)
{
    const std::string path
        = WritePicture(128, 128, [](int x, int y) { return Gradient(x / 2, y / 2); });
    IDirectDrawSurface* reference = Offscreen(128, 128);
    IDirectDrawSurface* surface = Offscreen(64, 64);
    ASSERT_EQ(ReloadBitmap(reference, path.c_str()), DD_OK);
    ASSERT_EQ(ReloadBitmap(surface, path.c_str()), DD_OK);

    const SurfacePixels source = Read(reference);
    const SurfacePixels halved = Read(surface);
    ASSERT_EQ(halved.width, 64);
    ASSERT_EQ(halved.height, 64);
    int wrong = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            wrong += halved.at(x, y) != source.at(2 * x, 2 * y);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(UtilitiesAgreement, PaletteFromASixteenColourFile)
{
    std::vector<testbmp::ColorTableEntry> colors;
    for (int i = 0; i < 16; ++i) {
        const uint8_t base = static_cast<uint8_t>(17 * i + 3);
        colors.push_back({base, static_cast<uint8_t>(base ^ 0x55), static_cast<uint8_t>(255 - base),
            static_cast<uint8_t>(i % 2 == 0 ? PC_NOCOLLAPSE : 0)});
    }
    const std::vector<uint8_t> file = testbmp::AsBmpFile(testbmp::MakeDib(
        8, 8, 4, colors, [](int x, int y) { return static_cast<uint32_t>((x + y) % 16); }));
    const std::string path = folder.Write("sixteen.bmp", file);

    IDirectDrawPalette* palette = LoadPaletteFromBitmap(directDraw, path.c_str());
    ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
    PALETTEENTRY entries[PALETTE_SIZE];
    EXPECT_EQ(palette->GetEntries(0, 0, PALETTE_SIZE, entries), DD_OK);
    palette->Release();

    // Made without DDPCAPS_ALLOW256, the palette keeps entry 0 black and
    // entry 255 white; their flags are still the ones given.
    EXPECT_EQ(entries[0].peRed, 0);
    EXPECT_EQ(entries[0].peGreen, 0);
    EXPECT_EQ(entries[0].peBlue, 0);
    EXPECT_EQ(entries[0].peFlags, colors[0][3]);
    EXPECT_EQ(entries[255].peRed, 255);
    EXPECT_EQ(entries[255].peGreen, 255);
    EXPECT_EQ(entries[255].peBlue, 255);
    for (int i = 1; i < 16; ++i) {
        EXPECT_EQ(entries[i].peRed, colors[i][2]) << i;
        EXPECT_EQ(entries[i].peGreen, colors[i][1]) << i;
        EXPECT_EQ(entries[i].peBlue, colors[i][0]) << i;
        EXPECT_EQ(entries[i].peFlags, colors[i][3]) << i;
    }
    // The pixel bytes that follow the table, then the ramp where the file ends.
    const int tailEntries = static_cast<int>(file.size() - 118) / 4;
    for (int i = 16; i < 16 + tailEntries; ++i)
        EXPECT_EQ(std::memcmp(&entries[i], &file[118 + 4 * (i - 16)], 4), 0) << "entry " << i;
    PALETTEENTRY ramp[PALETTE_SIZE];
    BuildDefaultPalette(ramp);
    for (int i = 16 + tailEntries; i < PALETTE_SIZE; ++i)
        EXPECT_EQ(std::memcmp(&entries[i], &ramp[i], 4), 0) << "entry " << i;
}

}  // namespace
