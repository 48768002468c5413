// Surfaces on the layer: BltFast copying exactly its rectangle or nothing,
// the flipping chain, device contexts and locks, and frames saved as PNG.
#include "layer_fixture.h"

#include <cstdio>
#include <png.h>
#include <string>
#include <vector>

namespace layertest {
namespace {

constexpr uint16_t SENTINEL = 0xAAAA;

class Surface : public DisplayTest { };

TEST_F(Surface, BltFastCopiesExactlyTheRectangleOrNothing)
{
    // 61 columns: the rows are padded, so a blit that ignored the pitch would
    // shear the picture.
    const auto sourcePixel = [](int x, int y) { return static_cast<uint16_t>(1 + x + y * 61); };
    struct Row {
        const char* name;
        DWORD x, y;
        bool wholeSource;  // a null rectangle
        RECT rect;
        HRESULT expected;
    };
    const Row rows[] = {{"whole source", 0, 0, true, {}, DD_OK},
        {"inner rectangle", 10, 20, false, {4, 8, 60, 40}, DD_OK},
        {"one pixel in the last corner", 99, 79, false, {60, 63, 61, 64}, DD_OK},
        {"ends at the right and bottom", 39, 16, false, {0, 0, 61, 64}, DD_OK},
        {"one past the right", 40, 0, false, {0, 0, 61, 10}, DDERR_INVALIDRECT},
        {"one past the bottom", 0, 17, false, {0, 0, 10, 64}, DDERR_INVALIDRECT},
        {"beyond the source", 0, 0, false, {0, 0, 62, 65}, DDERR_INVALIDRECT},
        {"negative source", 0, 0, false, {-1, 0, 10, 10}, DDERR_INVALIDRECT},
        {"empty source", 0, 0, false, {5, 5, 5, 10}, DDERR_INVALIDRECT},
        {"inverted source", 0, 0, false, {10, 0, 5, 10}, DDERR_INVALIDRECT},
        {"wrapping destination", 0xFFFFFFF0u, 0, false, {0, 0, 32, 10}, DDERR_INVALIDRECT}};
    IDirectDrawSurface* source = Offscreen(61, 64);
    IDirectDrawSurface* target = Offscreen(100, 80);
    Fill(source, sourcePixel);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fill(target, [](int, int) { return SENTINEL; });
        RECT rect = row.rect;
        EXPECT_EQ(target->BltFast(row.x, row.y, source, row.wholeSource ? nullptr : &rect,
                      DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT),
            row.expected);
        const RECT copied = row.wholeSource ? RECT{0, 0, 61, 64} : row.rect;
        const test::Pixels after = test::ReadSurface(target);
        int wrong = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x) {
                const int sx = x - static_cast<int>(row.x) + copied.left;
                const int sy = y - static_cast<int>(row.y) + copied.top;
                const bool inside = row.expected == DD_OK && sx >= copied.left && sx < copied.right
                    && sy >= copied.top && sy < copied.bottom;
                wrong += after.at(x, y) != (inside ? sourcePixel(sx, sy) : SENTINEL);
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(Surface, BltFastRefusesMissingBusyOrLostSurfacesWithoutWriting)
{
    IDirectDrawSurface* source = Offscreen(16, 16);
    IDirectDrawSurface* target = Offscreen(16, 16);
    Fill(target, [](int, int) { return SENTINEL; });
    EXPECT_EQ(target->BltFast(0, 0, nullptr, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, 0x80), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_DESTCOLORKEY), DDERR_UNSUPPORTED);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
    HDC dc = nullptr;
    ASSERT_EQ(source->GetDC(&dc), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    ASSERT_EQ(source->ReleaseDC(dc), DD_OK);
    for (IDirectDrawSurface* lost : {source, target}) {
        test::MarkSurfaceLost(lost);
        EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
        ASSERT_EQ(lost->Restore(), DD_OK);
        const std::vector<uint16_t> after = test::ReadSurface(target).values;
        EXPECT_TRUE(lost == target || after == std::vector<uint16_t>(after.size(), SENTINEL));
    }
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
}

TEST_F(Surface, FlipShowsTheBackBufferAndHandsTheOldFrontBack)
{
    MakeChain();
    for (IDirectDrawSurface* surface : {primary, back}) {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(
            std::make_pair(desc.dwWidth, desc.dwHeight), std::make_pair(DWORD{640}, DWORD{480}));
        EXPECT_EQ(desc.lPitch, 1280);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x001Fu);
        EXPECT_NE(desc.ddsCaps.dwCaps
                & (surface == primary ? DDSCAPS_PRIMARYSURFACE : DDSCAPS_BACKBUFFER),
            0u);
    }
    const auto a = [](int x, int y) { return static_cast<uint16_t>(x ^ (y << 6)); };
    const auto b = [](int x, int y) { return static_cast<uint16_t>(0xF800 | ((x + y) & 0x7FF)); };
    Fill(primary, a);
    Fill(back, b);
    const std::vector<uint16_t> pictureA = test::ReadSurface(primary).values;
    const std::vector<uint16_t> pictureB = test::ReadSurface(back).values;
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(test::FlipCount(), 1);
    EXPECT_EQ(test::VisibleFrame().values, pictureB);
    EXPECT_EQ(test::ReadSurface(back).values, pictureA)
        << "the former front is the next back buffer";
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* again = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
    EXPECT_EQ(again, back) << "the interfaces keep their roles";
    ASSERT_EQ(primary->Flip(back, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(test::VisibleFrame().values, pictureA);

    // Drawing on the primary shows when its context is released; on the
    // back buffer it does not show.
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    SetPixel(dc, 5, 5, RGB(255, 0, 0));
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY)
        << "the back buffer is drawn on";
    ASSERT_EQ(back->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(test::VisibleFrame().at(5, 5), pictureA[5 * 640 + 5]);
    ASSERT_EQ(primary->GetDC(&dc), DD_OK);
    SetPixel(dc, 5, 5, RGB(0, 0, 255));
    EXPECT_EQ(test::VisibleFrame().at(5, 5), pictureA[5 * 640 + 5]);
    ASSERT_EQ(primary->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(test::VisibleFrame().at(5, 5), 0x001F);
}

TEST_F(Surface, FlipIsRefusedWhereItCannotHappen)
{
    MakeChain();
    IDirectDrawSurface* other = Offscreen(8, 8);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(other->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(primary->Flip(other, DDFLIP_WAIT), DDERR_INVALIDPARAMS);
    test::MarkSurfaceLost(back);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(test::FlipCount(), 0);
    ASSERT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK) << "the chain is restored as a whole";
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_F(Surface, OneContextOrOneLockAtATimeAndOnlyItsOwnContextIsReleased)
{
    IDirectDrawSurface* surface = Offscreen(61, 3);
    IDirectDrawSurface* other = Offscreen(16, 16);
    const int gdiBefore = test::LiveGdiObjects();
    HDC dc = nullptr, second = nullptr, otherDc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    ASSERT_EQ(other->GetDC(&otherDc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(otherDc), DDERR_INVALIDPARAMS) << "only its own";
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_INVALIDPARAMS) << "released twice";
    ASSERT_EQ(other->ReleaseDC(otherDc), DD_OK);
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);

    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);

    // A surface that ends with its context out takes the context with it.
    ASSERT_EQ(other->GetDC(&otherDc), DD_OK);
    other->Release();
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);
}

TEST(SavePng, WidensEachChannelInItsPlaceByRepeatingItsHighBits)
{
    struct Row {
        uint16_t pixel;
        uint8_t red, green, blue;
    };
    const Row rows[] = {{0xFFFF, 255, 255, 255}, {0xF800, 255, 0, 0}, {0x07E0, 0, 255, 0},
        {0x001F, 0, 0, 255}, {0x8000, 132, 0, 0}, {0x0400, 0, 130, 0}, {0x0821, 8, 4, 8}};
    test::Pixels pixels{7, 1, {}};
    for (const Row& row : rows)
        pixels.values.push_back(row.pixel);
    const std::string path = testing::TempDir() + "layer_png_test.png";
    ASSERT_TRUE(test::SavePng(pixels, path));
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    std::remove(path.c_str());
    ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(7u, 1u));
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ((std::vector<int>{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]}),
            (std::vector<int>{rows[i].red, rows[i].green, rows[i].blue}))
            << std::hex << rows[i].pixel;
    pixels.values.pop_back();
    EXPECT_FALSE(test::SavePng(pixels, testing::TempDir() + "short.png")) << "7 x 1 from 6 values";
    EXPECT_FALSE(test::SavePng(test::Pixels{}, testing::TempDir() + "empty.png"));
}

}  // namespace
}  // namespace layertest
