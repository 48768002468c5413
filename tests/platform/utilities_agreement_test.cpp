// The bitmap and palette utilities against the platform's own DirectDraw and
// GDI: pixel values of colours, scaled copies, and palettes and surfaces from
// a .bmp file and from the test program's own bitmap resources.
// Win32 calls only, so the same checks run on the real platform.
#include "display/bitmap_utils.h"
#include "display/palette_rules.h"
#include "platform/win32.h"
#include "support/bmp_bytes.h"
#include "support/surface_description.h"
#include "support/test_window.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Pixels {
    std::vector<uint16_t> values;  // row by row from the top
    DWORD width = 0, masks[3] = {};  // red, green, blue
};

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
        if (directDraw != NULL)
            directDraw->Release();
        if (window != NULL)
            DestroyWindow(window);
    }

    IDirectDrawSurface* Keep(IDirectDrawSurface* surface)
    {
        if (surface != NULL)
            surfaces.push_back(surface);
        return surface;
    }
    IDirectDrawSurface* Offscreen(int width, int height)
    {
        DDSURFACEDESC desc = testsupport::OffscreenDescription(width, height);
        IDirectDrawSurface* surface = NULL;
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, NULL), DD_OK);
        return Keep(surface);
    }
    // Every pixel under Lock, after writing write(x, y) into each when given.
    static Pixels Access(IDirectDrawSurface* surface, uint16_t (*write)(int, int) = NULL)
    {
        Pixels pixels;
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        if (surface == NULL || surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL) != DD_OK) {
            ADD_FAILURE() << "no surface to lock";
            return pixels;
        }
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        for (DWORD y = 0; y < desc.dwHeight; ++y)
            for (DWORD x = 0; x < desc.dwWidth; ++x) {
                uint16_t& pixel = reinterpret_cast<uint16_t*>(
                    static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x];
                if (write != NULL)
                    pixel = write(x, y);
                pixels.values.push_back(pixel);
            }
        surface->Unlock(NULL);
        pixels.width = desc.dwWidth;
        pixels.masks[0] = desc.ddpfPixelFormat.dwRBitMask;
        pixels.masks[1] = desc.ddpfPixelFormat.dwGBitMask;
        pixels.masks[2] = desc.ddpfPixelFormat.dwBBitMask;
        return pixels;
    }

    HWND window = NULL;
    IDirectDraw* directDraw = NULL;
    std::vector<IDirectDrawSurface*> surfaces;
    bmptest::TempFolder folder;
};

TEST_F(UtilitiesAgreement, MatchColorFindsEachChannelAndPutsThePixelBack)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    // Only the top-left pixel and the one after it stand apart.
    const auto corner = [](int x, int y) -> uint16_t {
        return y > 0 || x > 1 ? 0x4208 : x == 0 ? 0x1234 : 0xABCD;
    };
    const Pixels start = Access(surface, corner);
    const DWORD* m = start.masks;
    ASSERT_EQ(m[0] | m[1] | m[2], 0xFFFFu);
    const std::pair<COLORREF, DWORD> cases[]
        = {{RGB(255, 0, 0), m[0]}, {RGB(0, 255, 0), m[1]}, {RGB(0, 0, 255), m[2]},
            {RGB(255, 255, 255), 0xFFFF}, {RGB(0, 0, 0), 0}, {CLR_INVALID, 0x1234}};
    for (auto [color, pixel] : cases) {
        Access(surface, corner);
        EXPECT_EQ(MatchColor(surface, color), pixel) << std::hex << color;
        const std::vector<uint16_t> after = Access(surface).values;
        EXPECT_TRUE(after[0] == 0x1234 && after[1] == 0xABCD) << std::hex << color;
    }
}

TEST_F(UtilitiesAgreement, CopiesScaleByNearestPixels)
{
    // A 32 x 32 picture doubled onto 64 x 64, a 128 x 128 one of 2 x 2 blocks
    // halved, each against the same picture copied one to one.
    for (auto [pictureSize, side] : {std::pair{32, 64}, {128, 64}}) {
        SCOPED_TRACE(pictureSize);
        const int block = pictureSize > side ? 2 : 1;
        const std::string path = folder.Write("picture.bmp",
            bmptest::Bmp24(
                pictureSize, pictureSize,
                [&](int x, int y) {
                    x /= block, y /= block;
                    return uint32_t((x * 8) & 0xFF) << 16 | uint32_t((y * 8) & 0xFF) << 8
                        | uint32_t(((x ^ y) * 4) & 0xFF);
                },
                true));
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
            NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
        ASSERT_NE(bitmap, static_cast<HBITMAP>(NULL));
        IDirectDrawSurface* reference = Offscreen(pictureSize, pictureSize);
        IDirectDrawSurface* scaled = Offscreen(side, side);
        EXPECT_EQ(CopyBitmapToSurface(reference, bitmap, 0, 0, 0, 0), DD_OK);
        EXPECT_EQ(CopyBitmapToSurface(scaled, bitmap, 0, 0, 0, 0), DD_OK);
        DeleteObject(bitmap);
        const std::vector<uint16_t> source = Access(reference).values, copy = Access(scaled).values;
        ASSERT_EQ(copy.size(), size_t(side * side));
        int wrong = 0;
        for (int i = 0; i < side * side; ++i)
            wrong += copy[i]
                != source[(i / side * pictureSize / side) * pictureSize
                    + i % side * pictureSize / side];
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(UtilitiesAgreement, PalettesFromASixteenColourFileAndResource)
{
    // Colour-table entry i: blue 17i + 3, green blue ^ 0x55, red 255 - blue,
    // PC_NOCOLLAPSE in the reserved byte of even entries, in the file and in
    // test_resources.rc's SIXTEEN_COLOURS.
    std::vector<uint32_t> colors;
    for (uint32_t i = 0; i < 16; ++i) {
        const uint32_t blue = (17 * i + 3) & 0xFF;
        colors.push_back((i % 2 == 0 ? uint32_t{PC_NOCOLLAPSE} << 24 : 0) | (255 - blue) << 16
            | (blue ^ 0x55) << 8 | blue);
    }
    const std::vector<uint8_t> file = bmptest::BuildBmp({8, 8, 4, 0, 40, colors},
        bmptest::PixelsOf(8, 8, [](int x, int y) { return static_cast<uint32_t>((x + y) % 16); }),
        true);
    const std::string path = folder.Write("sixteen.bmp", file);
    for (const bool fromFile : {true, false}) {
        SCOPED_TRACE(fromFile ? "file" : "resource");
        IDirectDrawPalette* palette
            = LoadPaletteFromBitmap(directDraw, fromFile ? path.c_str() : "SIXTEEN_COLOURS");
        ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
        PALETTEENTRY entries[PALETTE_SIZE], expected[PALETTE_SIZE];
        EXPECT_EQ(palette->GetEntries(0, 0, PALETTE_SIZE, entries), DD_OK);
        palette->Release();
        BuildDefaultPalette(expected);
        // Red and blue exchanged; a file's flags kept, a resource's always 0.
        for (int i = 0; i < 16; ++i)
            expected[i] = {BYTE(colors[i] >> 16), BYTE(colors[i] >> 8), BYTE(colors[i]),
                BYTE(fromFile ? colors[i] >> 24 : 0)};
        // A file's table is read on into the pixel bytes, as far as the file goes.
        if (fromFile)
            std::memcpy(&expected[16], &file[118], file.size() - 118);
        // Made without DDPCAPS_ALLOW256, the palette keeps entry 0 black and
        // entry 255 white; their flags are still the ones given.
        expected[0] = {0, 0, 0, expected[0].peFlags};
        expected[255] = {255, 255, 255, expected[255].peFlags};
        for (int i = 0; i < PALETTE_SIZE; ++i)
            EXPECT_EQ(std::memcmp(&entries[i], &expected[i], 4), 0) << "entry " << i;
    }
}

TEST_F(UtilitiesAgreement, SurfacesFromABitmapResourceAtItsSizeAndScaled)
{
    // test_resources.rc's QUADRANTS: 32 x 32, red, green / blue, white. Their
    // middles, far from any edge a scaling may soften.
    const Pixels format = Access(Offscreen(1, 1));
    const DWORD* m = format.masks;
    const DWORD quadrant[4] = {m[0], m[1], m[2], m[0] | m[1] | m[2]};
    for (int side : {32, 64}) {
        SCOPED_TRACE(side);
        const int size = side == 32 ? 0 : side;
        const Pixels pixels = Access(Keep(LoadBitmapSurface(directDraw, "QUADRANTS", size, size)));
        ASSERT_EQ(pixels.width, DWORD(side));
        for (int q = 0; q < 4; ++q) {
            const int x = side / 4 + (q % 2) * side / 2, y = side / 4 + (q / 2) * side / 2;
            EXPECT_EQ(pixels.values[y * side + x], quadrant[q]) << "quadrant " << q;
        }
    }
}

}  // namespace
