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
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

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
        if (directDraw != NULL)
            directDraw->Release();
        if (window != NULL)
            DestroyWindow(window);
    }

    IDirectDrawSurface* Offscreen(int width, int height)
    {
        DDSURFACEDESC desc = testsupport::OffscreenDescription(width, height);
        IDirectDrawSurface* surface = NULL;
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, NULL), DD_OK);
        if (surface != NULL)
            surfaces.push_back(surface);
        return surface;
    }

    // Calls visit(x, y, pixel) for every pixel under Lock; gives the masks.
    DWORD Visit(IDirectDrawSurface* surface, const std::function<void(int, int, uint16_t&)>& visit,
        DWORD* masks = NULL)
    {
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        EXPECT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
        if (desc.lpSurface == NULL)
            return 0;
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        for (DWORD y = 0; y < desc.dwHeight; ++y)
            for (DWORD x = 0; x < desc.dwWidth; ++x)
                visit(x, y,
                    reinterpret_cast<uint16_t*>(
                        static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x]);
        if (masks != NULL) {
            masks[0] = desc.ddpfPixelFormat.dwRBitMask;
            masks[1] = desc.ddpfPixelFormat.dwGBitMask;
            masks[2] = desc.ddpfPixelFormat.dwBBitMask;
        }
        surface->Unlock(NULL);
        return desc.dwWidth;
    }
    std::vector<uint16_t> Read(IDirectDrawSurface* surface)
    {
        std::vector<uint16_t> values;
        Visit(surface, [&](int, int, uint16_t& v) { values.push_back(v); });
        return values;
    }

    HWND window = NULL;
    IDirectDraw* directDraw = NULL;
    std::vector<IDirectDrawSurface*> surfaces;
    bmptest::TempFolder folder;
};

TEST_F(UtilitiesAgreement, MatchColorFindsEachChannelAndPutsThePixelBack)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    DWORD m[3] = {0, 0, 0};
    // Only the top-left pixel and the one after it stand apart.
    const auto corner = [](int x, int y, uint16_t& v) {
        v = y > 0 || x > 1 ? 0x4208 : x == 0 ? 0x1234 : 0xABCD;
    };
    Visit(surface, corner, m);
    ASSERT_EQ(m[0] | m[1] | m[2], 0xFFFFu);
    struct Case {
        COLORREF color;
        DWORD pixel;
    };
    for (const Case& c :
        {Case{RGB(255, 0, 0), m[0]}, Case{RGB(0, 255, 0), m[1]}, Case{RGB(0, 0, 255), m[2]},
            Case{RGB(255, 255, 255), 0xFFFF}, Case{RGB(0, 0, 0), 0}, Case{CLR_INVALID, 0x1234}}) {
        Visit(surface, corner);
        EXPECT_EQ(MatchColor(surface, c.color), c.pixel) << std::hex << c.color;
        const std::vector<uint16_t> after = Read(surface);
        EXPECT_EQ(after[0], 0x1234);
        EXPECT_EQ(after[1], 0xABCD);
    }
}

TEST_F(UtilitiesAgreement, CopiesKeepChannelsAndScaleByNearestPixels)
{
    // Red, green / blue, white quadrants copied one to one.
    const uint32_t quadrants[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const std::string quads = folder.Write("quads.bmp",
        bmptest::Bmp24(
            16, 16, [&](int x, int y) { return quadrants[x / 8 + 2 * (y / 8)]; }, true));
    IDirectDrawSurface* same = Offscreen(16, 16);
    ASSERT_EQ(ReloadBitmap(same, quads.c_str()), DD_OK);
    DWORD m[3];
    Visit(
        same, [](int, int, uint16_t&) {}, m);
    const std::vector<uint16_t> copied = Read(same);
    EXPECT_EQ(copied[0], m[0]);
    EXPECT_EQ(copied[15], m[1]);
    EXPECT_EQ(copied[15 * 16], m[2]);
    EXPECT_EQ(copied[255], m[0] | m[1] | m[2]);

    // A 32 x 32 picture doubled onto 64 x 64, a 128 x 128 one of 2 x 2
    // blocks halved, each against the same picture copied one to one.
    struct Case {
        int pictureSize, scale2;  // surface side = pictureSize * scale2 / 2
    };
    for (Case c : {Case{32, 4}, Case{128, 1}}) {
        SCOPED_TRACE(c.pictureSize);
        const std::string path = folder.Write("picture" + std::to_string(c.pictureSize) + ".bmp",
            bmptest::Bmp24(
                c.pictureSize, c.pictureSize,
                [&](int x, int y) {
                    return c.scale2 > 2 ? Gradient(x, y) : Gradient(x / 2, y / 2);
                },
                true));
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
            NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
        ASSERT_NE(bitmap, static_cast<HBITMAP>(NULL));
        const int side = c.pictureSize * c.scale2 / 2;
        IDirectDrawSurface* reference = Offscreen(c.pictureSize, c.pictureSize);
        IDirectDrawSurface* scaled = Offscreen(side, side);
        EXPECT_EQ(CopyBitmapToSurface(reference, bitmap, 0, 0, 0, 0), DD_OK);
        EXPECT_EQ(CopyBitmapToSurface(scaled, bitmap, 0, 0, 0, 0), DD_OK);
        DeleteObject(bitmap);
        const std::vector<uint16_t> source = Read(reference);
        int wrong = 0;
        Visit(scaled, [&](int x, int y, uint16_t& v) {
            wrong += v != source[(y * 2 / c.scale2) * c.pictureSize + x * 2 / c.scale2];
        });
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(UtilitiesAgreement, PaletteFromASixteenColourFile)
{
    std::vector<uint32_t> colors;  // flags in the reserved byte of every other entry
    for (uint32_t i = 0; i < 16; ++i) {
        const uint32_t base = (17 * i + 3) & 0xFF;
        colors.push_back((i % 2 == 0 ? uint32_t{PC_NOCOLLAPSE} << 24 : 0) | (255 - base) << 16
            | (base ^ 0x55) << 8 | base);
    }
    const std::vector<uint8_t> file = bmptest::BuildBmp({8, 8, 4, 0, 40, colors},
        bmptest::PixelsOf(8, 8, [](int x, int y) { return static_cast<uint32_t>((x + y) % 16); }),
        true);
    const std::string path = folder.Write("sixteen.bmp", file);

    IDirectDrawPalette* palette = LoadPaletteFromBitmap(directDraw, path.c_str());
    ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
    PALETTEENTRY entries[PALETTE_SIZE];
    EXPECT_EQ(palette->GetEntries(0, 0, PALETTE_SIZE, entries), DD_OK);
    palette->Release();
    PALETTEENTRY expected[PALETTE_SIZE];
    BuildDefaultPalette(expected);
    for (int i = 0; i < 16; ++i)  // red and blue exchanged, the flags kept
        expected[i]
            = {BYTE(colors[i] >> 16), BYTE(colors[i] >> 8), BYTE(colors[i]), BYTE(colors[i] >> 24)};
    // Then the pixel bytes that follow the table, unconverted, as far as the
    // file goes.
    std::memcpy(&expected[16], &file[118], file.size() - 118);
    // Made without DDPCAPS_ALLOW256, the palette keeps entry 0 black and
    // entry 255 white; their flags are still the ones given.
    expected[0] = {0, 0, 0, expected[0].peFlags};
    expected[255] = {255, 255, 255, expected[255].peFlags};
    for (int i = 0; i < PALETTE_SIZE; ++i)
        EXPECT_EQ(std::memcmp(&entries[i], &expected[i], 4), 0) << "entry " << i;
}

TEST_F(UtilitiesAgreement, PaletteFromASixteenColourResource)
{
    // The colour table of test_resources.rc's SIXTEEN_COLOURS, in palette
    // order: red, green, blue; a resource's flags are always 0.
    PALETTEENTRY expected[PALETTE_SIZE];
    BuildDefaultPalette(expected);
    for (int i = 0; i < 16; ++i) {
        const BYTE blue = static_cast<BYTE>(17 * i + 3);
        expected[i] = {BYTE(255 - blue), BYTE(blue ^ 0x55), blue, 0};
    }
    expected[0] = {0, 0, 0, 0};  // kept black without DDPCAPS_ALLOW256

    IDirectDrawPalette* palette = LoadPaletteFromBitmap(directDraw, "SIXTEEN_COLOURS");
    ASSERT_NE(palette, static_cast<IDirectDrawPalette*>(NULL));
    PALETTEENTRY entries[PALETTE_SIZE];
    EXPECT_EQ(palette->GetEntries(0, 0, PALETTE_SIZE, entries), DD_OK);
    palette->Release();
    for (int i = 0; i < PALETTE_SIZE; ++i)
        EXPECT_EQ(std::memcmp(&entries[i], &expected[i], 4), 0) << "entry " << i;
}

TEST_F(UtilitiesAgreement, SurfacesFromABitmapResourceAtItsSizeAndScaled)
{
    DWORD m[3];
    Visit(
        Offscreen(1, 1), [](int, int, uint16_t&) {}, m);
    const DWORD quadrant[4] = {m[0], m[1], m[2], m[0] | m[1] | m[2]};
    // The quadrants' middles, far from any edge a scaling may soften.
    for (int side : {32, 64}) {
        SCOPED_TRACE(side);
        const int size = side == 32 ? 0 : side;
        IDirectDrawSurface* surface = LoadBitmapSurface(directDraw, "QUADRANTS", size, size);
        ASSERT_NE(surface, static_cast<IDirectDrawSurface*>(NULL));
        surfaces.push_back(surface);
        EXPECT_EQ(Visit(surface, [](int, int, uint16_t&) {}), static_cast<DWORD>(side));
        const std::vector<uint16_t> pixels = Read(surface);
        for (int q = 0; q < 4; ++q) {
            const int x = side / 4 + (q % 2) * side / 2, y = side / 4 + (q / 2) * side / 2;
            EXPECT_EQ(pixels[y * side + x], quadrant[q]) << "quadrant " << q;
        }
    }
}

}  // namespace

namespace {

// A 16-bit colour key is compared with the whole key value: bits above the
// pixel's depth are not cut away, so a key wider than the pixel keys out
// nothing (SetSourceColorKey sets 0xFFFFFFFF after a failed match).
TEST_F(UtilitiesAgreement, SourceKeysWiderThanThePixelMatchNothing)
{
    IDirectDrawSurface* source = Offscreen(4, 1);
    IDirectDrawSurface* target = Offscreen(4, 1);
    const uint16_t pixels[4] = {0xFFFF, 0x2345, 0x1234, 0x0000};
    struct Case {
        DWORD key;
        bool keyedOut[4];  // which source pixels leave the target as it was
    };
    for (Case c : {Case{0xFFFF, {true, false, false, false}}, {0x2345, {false, true, false, false}},
             {0xFFFFFFFF, {false, false, false, false}}, {0x00012345, {false, false, false, false}},
             {0xABCD2345, {false, false, false, false}}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.key);
        Visit(source, [&](int x, int, uint16_t& v) { v = pixels[x]; });
        Visit(target, [](int, int, uint16_t& v) { v = 0x0841; });
        DDCOLORKEY key = {c.key, c.key};
        ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        ASSERT_EQ(
            target->BltFast(0, 0, source, NULL, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
        const std::vector<uint16_t> after = Read(target);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(after[x], c.keyedOut[x] ? 0x0841 : pixels[x]) << x;
    }
}

// Scaled down through CopyBitmapToSurface, a picture's thin lines are not
// lost: the default stretch mode ANDs the pixels that fall together. Lines
// that disappear under a nearest-pixel copy, and colours that AND to black.
TEST_F(UtilitiesAgreement, ShrunkCopiesAndTheLinesTheyDrop)
{
    DWORD m[3];
    Visit(
        Offscreen(1, 1), [](int, int, uint16_t&) {}, m);
    const uint32_t WHITE = 0xFFFFFF, BLACK = 0, RED = 0xFF0000, BLUE = 0x0000FF;
    auto pixelOf = [&](uint32_t rgb) {
        return (rgb & RED ? m[0] : 0) | (rgb & 0x00FF00 ? m[1] : 0) | (rgb & BLUE ? m[2] : 0);
    };
    struct Case {
        const char* what;
        int from, to, line;  // widths, and the line's column
        uint32_t background, ink;
        std::vector<uint32_t> expected;  // the target's columns
    };
    const Case cases[] = {{"halved, the line in a dropped column", 8, 4, 3, WHITE, BLACK,
                              {WHITE, BLACK, WHITE, WHITE}},
        {"halved, a white line on black", 8, 4, 0, BLACK, WHITE, {BLACK, BLACK, BLACK, BLACK}},
        {"halved, red on blue", 8, 4, 5, BLUE, RED, {BLUE, BLUE, BLACK, BLUE}},
        {"four to three, the middle pair", 4, 3, 2, WHITE, BLACK, {WHITE, BLACK, WHITE}},
        {"five to three, the last pair", 5, 3, 3, WHITE, BLACK, {WHITE, WHITE, BLACK}},
        {"three to five", 3, 5, 1, WHITE, BLACK, {WHITE, WHITE, BLACK, WHITE, WHITE}},
        {"four to one, the last column", 4, 1, 3, WHITE, BLACK, {WHITE}},
        {"four to one, the one before", 4, 1, 2, WHITE, BLACK, {BLACK}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.Write("lines.bmp",
            bmptest::Bmp24(
                c.from, 2, [&](int x, int) { return x == c.line ? c.ink : c.background; }, true));
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
            NULL, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
        ASSERT_NE(bitmap, static_cast<HBITMAP>(NULL));
        IDirectDrawSurface* target = Offscreen(c.to, 1);
        EXPECT_EQ(CopyBitmapToSurface(target, bitmap, 0, 0, 0, 0), DD_OK);
        DeleteObject(bitmap);
        const std::vector<uint16_t> after = Read(target);
        ASSERT_EQ(after.size(), c.expected.size());
        for (size_t x = 0; x < after.size(); ++x)
            EXPECT_EQ(after[x], pixelOf(c.expected[x])) << x;
    }
}

}  // namespace
