// The bitmap and palette utilities against the platform's own DirectDraw and
// GDI: pixel values of colours, scaled copies, and palettes and surfaces from
// a .bmp file and from the test program's own bitmap resources.
// Win32 calls only, so the same checks run on the real platform.
#include "display/bitmap_utils.h"
#include "display/palette_rules.h"
#include "platform/win32.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/surface_description.h"
#include "tests/support/test_window.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class UtilitiesAgreement : public testing::Test {
public:
    void SetUp() override
    {
        window = CreateTestWindow();
        ASSERT_EQ(DirectDrawCreate(NULL, &directDraw, NULL), DD_OK);
        ASSERT_EQ(
            directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
        Pixels(Offscreen(1, 1));  // notes the pixel format
    }
    void TearDown() override
    {
        for (IDirectDrawSurface* surface : surfaces)
            if (surface != NULL)
                surface->Release();
        if (directDraw != NULL)
            directDraw->Release();
        DestroyWindow(window);
    }

    IDirectDrawSurface* Keep(IDirectDrawSurface* surface)
    {
        return surfaces.emplace_back(surface);
    }
    IDirectDrawSurface* Offscreen(int width, int height)
    {
        DDSURFACEDESC desc = testsupport::OffscreenDescription(width, height);
        IDirectDrawSurface* surface = NULL;
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, NULL), DD_OK);
        return Keep(surface);
    }
    // Every pixel under Lock, rows from the top, after writing write(x, y)
    // into each when given; notes the pixel format's masks.
    std::vector<uint16_t> Pixels(IDirectDrawSurface* surface, uint16_t (*write)(int, int) = NULL)
    {
        std::vector<uint16_t> pixels;
        DDSURFACEDESC desc = testsupport::OffscreenDescription(0, 0);
        if (surface == NULL || surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL) != DD_OK) {
            ADD_FAILURE() << "no surface to lock";
            return pixels;
        }
        for (DWORD y = 0; y < desc.dwHeight; ++y)
            for (DWORD x = 0; x < desc.dwWidth; ++x) {
                uint16_t& pixel = reinterpret_cast<uint16_t*>(
                    static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x];
                pixel = write != NULL ? write(x, y) : pixel;
                pixels.push_back(pixel);
            }
        surface->Unlock(NULL);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        red = desc.ddpfPixelFormat.dwRBitMask, green = desc.ddpfPixelFormat.dwGBitMask;
        blue = desc.ddpfPixelFormat.dwBBitMask;
        return pixels;
    }

    HWND window = NULL;
    IDirectDraw* directDraw = NULL;
    std::vector<IDirectDrawSurface*> surfaces;
    DWORD red = 0, green = 0, blue = 0;
    bmptest::TempFolder folder;
};

TEST_F(UtilitiesAgreement, MatchColorFindsEachChannelAndPutsThePixelBack)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    // Only the top-left pixel and the one after it stand apart.
    const auto corner = [](int x, int y) -> uint16_t {
        return y > 0 || x > 1 ? 0x4208 : x == 0 ? 0x1234 : 0xABCD;
    };
    ASSERT_EQ(red | green | blue, 0xFFFFu);
    const std::pair<COLORREF, DWORD> cases[]
        = {{RGB(255, 0, 0), red}, {RGB(0, 255, 0), green}, {RGB(0, 0, 255), blue},
            {RGB(255, 255, 255), 0xFFFF}, {RGB(0, 0, 0), 0}, {CLR_INVALID, 0x1234}};
    for (auto [color, pixel] : cases) {
        Pixels(surface, corner);
        EXPECT_EQ(MatchColor(surface, color), pixel) << std::hex << color;
        const std::vector<uint16_t> after = Pixels(surface);
        EXPECT_TRUE(after[0] == 0x1234 && after[1] == 0xABCD) << std::hex << color;
    }
}

TEST_F(UtilitiesAgreement, SurfacesTakeABitmapAtItsSizeOrScaledFromAResourceOrAFile)
{
    // Red, green / blue, white quadrants: test_resources.rc's 32 x 32
    // QUADRANTS, and a file of the same, whole or a part of it. Their middles, away from any edge
    // that a scaling may soften.
    const uint32_t rgb[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const std::string file = folder.Write("quadrants.bmp",
        bmptest::Bmp24(
            32, 32, [&](int x, int y) { return rgb[x / 16 + y / 16 * 2]; }, true));
    IDirectDrawSurface *doubled = Offscreen(64, 64), *halved = Offscreen(16, 16);
    EXPECT_EQ(ReloadBitmap(doubled, "QUADRANTS"), DD_OK);
    EXPECT_EQ(ReloadBitmap(halved, file.c_str()), DD_OK);
    // The right half alone, from (16, 0), 16 wide and its own height, over the whole surface.
    IDirectDrawSurface* part = Offscreen(32, 32);
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(NULL, file.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    EXPECT_EQ(CopyBitmapToSurface(part, bitmap, 16, 0, 16, 0), DD_OK);
    DeleteObject(bitmap);
    const DWORD white = red | green | blue;
    const std::array<DWORD, 4> quadrants = {red, green, blue, white}, right = {green, green, white, white};
    for (auto [surface, side, quadrant] :
        {std::tuple{Keep(LoadBitmapSurface(directDraw, "QUADRANTS", 0, 0)), 32, quadrants},
            {Keep(LoadBitmapSurface(directDraw, "QUADRANTS", 64, 64)), 64, quadrants},
            {doubled, 64, quadrants}, {halved, 16, quadrants}, {part, 32, right}}) {
        const std::vector<uint16_t> pixels = Pixels(surface);
        ASSERT_EQ(pixels.size(), size_t(side * side));
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(pixels[(side / 4 + q / 2 * side / 2) * side + side / 4 + q % 2 * side / 2],
                quadrant[q])
                << "quadrant " << q << " at " << side;
    }
}

TEST_F(UtilitiesAgreement, PalettesFromASixteenColourFileAndResource)
{
    // Colour-table entry i: blue 17i + 3, green blue ^ 0x55, red 255 - blue,
    // PC_NOCOLLAPSE in the reserved byte of even entries, in the file and in
    // test_resources.rc's SIXTEEN_COLOURS.
    std::vector<uint32_t> colors;
    for (uint32_t i = 0, blue = 3; i < 16; ++i, blue = (17 * i + 3) & 0xFF)
        colors.push_back((i % 2 ? 0 : uint32_t{PC_NOCOLLAPSE} << 24) | (255 - blue) << 16
            | (blue ^ 0x55) << 8 | blue);
    const std::vector<uint8_t> file = bmptest::BuildBmp({8, 8, 4, 0, 40, colors},
        bmptest::PixelsOf(8, 8, [](int x, int y) { return static_cast<uint32_t>((x + y) % 16); }),
        true);
    const std::string path = folder.Write("sixteen.bmp", file);
    for (const char* name : {path.c_str(), "SIXTEEN_COLOURS"}) {
        const bool fromFile = name == path.c_str();
        IDirectDrawPalette* palette = LoadPaletteFromBitmap(directDraw, name);
        ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
        PALETTEENTRY entries[PALETTE_SIZE], expected[PALETTE_SIZE];
        EXPECT_EQ(palette->GetEntries(0, 0, PALETTE_SIZE, entries), DD_OK);
        palette->Release();
        BuildDefaultPalette(expected);
        // Red and blue exchanged; a file's flags kept, a resource's always 0;
        // a file's table read on into the pixel bytes, as far as the file goes.
        for (int i = 0; i < 16; ++i)
            expected[i] = {BYTE(colors[i] >> 16), BYTE(colors[i] >> 8), BYTE(colors[i]),
                BYTE(fromFile ? colors[i] >> 24 : 0)};
        if (fromFile)
            std::memcpy(&expected[16], &file[118], file.size() - 118);
        // Made without DDPCAPS_ALLOW256, the palette keeps entry 0 black and
        // entry 255 white; their flags are still the ones given.
        expected[0] = {0, 0, 0, expected[0].peFlags};
        expected[255] = {255, 255, 255, expected[255].peFlags};
        for (int i = 0; i < PALETTE_SIZE; ++i)
            EXPECT_EQ(std::memcmp(&entries[i], &expected[i], 4), 0) << name << " entry " << i;
    }
}

// Blits within one surface. Where the areas overlap, a plain copy reads the
// source as it was; a keyed one copies in reading order, so down or to the
// right it repeats what it has just written. A key is compared whole: one
// wider than the pixel keys out nothing (SetSourceColorKey sets 0xFFFFFFFF
// after a failed match). Read back through locks of one pixel each.
TEST_F(UtilitiesAgreement, BlitsWithinOneSurface)
{
    const int W = 6;
    const struct {
        DWORD x, y;
        RECT rect;
        DWORD key;  // 0: a plain copy
        std::vector<uint16_t> expected;  // the rows from the top, as far as given
    } cases[] = {{1, 0, {0, 0, 4, 1}, 3, {1, 1, 1, 1, 1, 6}},
        {1, 0, {0, 0, 4, 1}, 0, {1, 1, 2, 3, 4, 6}},
        {0, 0, {1, 1, 5, 3}, 3, {12, 13, 14, 15, 5, 6, 22, 23, 24, 25, 15, 16}},
        {0, 1, {0, 0, W, 2}, 0, {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16}},
        {1, 1, {0, 0, 5, 2}, 3, {1, 2, 3, 4, 5, 6, 11, 1, 2, 14, 4, 5, 21, 11, 1, 2, 14, 4}},
        {0, 0, {1, 1, W, 3}, 0, {12, 13, 14, 15, 16, 6, 22, 23, 24, 25, 26, 16}},
        {0, 0, {0, 2, W, 3}, 23, {21, 22, 3, 24, 25, 26}},
        {0, 0, {0, 2, W, 3}, 0x10017, {21, 22, 23, 24, 25, 26}},
        {0, 0, {0, 2, W, 3}, 0xFFFFFFFF, {21, 22, 23, 24, 25, 26}}};
    IDirectDrawSurface* surface = Offscreen(W, 3);
    for (const auto& c : cases) {
        Pixels(surface, [](int x, int y) { return static_cast<uint16_t>(10 * y + x + 1); });
        DDCOLORKEY colorKey = {c.key, c.key};
        ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &colorKey), DD_OK);
        RECT rect = c.rect;
        const DWORD keyed = c.key != 0 ? DDBLTFAST_SRCCOLORKEY : 0;
        ASSERT_EQ(surface->BltFast(c.x, c.y, surface, &rect, keyed | DDBLTFAST_WAIT), DD_OK);
        std::vector<uint16_t> after(c.expected.size());
        for (size_t i = 0; i < after.size(); ++i) {
            RECT pixel = {LONG(i % W), LONG(i / W), LONG(i % W + 1), LONG(i / W + 1)};
            DDSURFACEDESC desc = testsupport::OffscreenDescription(0, 0);
            ASSERT_EQ(surface->Lock(&pixel, &desc, DDLOCK_WAIT, NULL), DD_OK);
            after[i] = *static_cast<uint16_t*>(desc.lpSurface);
            surface->Unlock(NULL);
        }
        EXPECT_EQ(after, c.expected) << "case " << &c - cases;
    }
}

// The rectangle BeginPaint gives bounds what was invalidated, within the
// window; painting validates.
TEST_F(UtilitiesAgreement, BeginPaintBoundsWhatWasInvalidatedWithinTheWindow)
{
    const RECT first = {10, 20, 30, 40}, second = {600, 400, 700, 500};
    ValidateRect(window, NULL);
    InvalidateRect(window, &first, FALSE);
    InvalidateRect(window, &second, FALSE);
    PAINTSTRUCT paint;
    ASSERT_NE(BeginPaint(window, &paint), static_cast<HDC>(NULL));
    EndPaint(window, &paint);
    const RECT& r = paint.rcPaint;
    EXPECT_EQ(std::tie(r.left, r.top, r.right, r.bottom), std::make_tuple(10, 20, 640, 480));
    EXPECT_FALSE(GetUpdateRect(window, NULL, FALSE));
}

// Scaled down through CopyBitmapToSurface, a picture's thin lines are not
// lost: the default stretch mode ANDs the pixels that fall together. Lines
// that disappear under a nearest-pixel copy, and colours that AND to black.
TEST_F(UtilitiesAgreement, ShrunkCopiesAndTheLinesTheyDrop)
{
    const uint32_t WHITE = 0xFFFFFF, BLACK = 0, RED = 0xFF0000, BLUE = 0x0000FF;
    const auto pixelOf = [&](uint32_t rgb) {
        return (rgb & RED ? red : 0) | (rgb & 0x00FF00 ? green : 0) | (rgb & BLUE ? blue : 0);
    };
    struct Case {
        int from, to, line;  // widths, and the line's column
        uint32_t background, ink;
        std::vector<uint32_t> expected;  // the target's columns
    };
    const Case cases[] = {{8, 4, 3, WHITE, BLACK, {WHITE, BLACK, WHITE, WHITE}},
        {8, 4, 0, BLACK, WHITE, {BLACK, BLACK, BLACK, BLACK}},
        {8, 4, 5, BLUE, RED, {BLUE, BLUE, BLACK, BLUE}},
        {4, 3, 2, WHITE, BLACK, {WHITE, BLACK, WHITE}},
        {5, 3, 3, WHITE, BLACK, {WHITE, WHITE, BLACK}},
        {3, 5, 1, WHITE, BLACK, {WHITE, WHITE, BLACK, WHITE, WHITE}},
        {4, 1, 3, WHITE, BLACK, {WHITE}}, {4, 1, 2, WHITE, BLACK, {BLACK}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to << ", line " << c.line);
        const std::string path = folder.Write("lines.bmp",
            bmptest::Bmp24(
                c.from, 2, [&](int x, int) { return x == c.line ? c.ink : c.background; }, true));
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
            NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
        ASSERT_NE(bitmap, static_cast<HBITMAP>(NULL));
        IDirectDrawSurface* target = Offscreen(c.to, 1);
        EXPECT_EQ(CopyBitmapToSurface(target, bitmap, 0, 0, 0, 0), DD_OK);
        DeleteObject(bitmap);
        const std::vector<uint16_t> after = Pixels(target);
        ASSERT_EQ(after.size(), c.expected.size());
        for (size_t x = 0; x < after.size(); ++x)
            EXPECT_EQ(after[x], pixelOf(c.expected[x])) << x;
    }
}

}  // namespace
