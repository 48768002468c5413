// Surfaces on the layer: BltFast copying exactly its rectangle or nothing on
// both row copies, the flipping chain and the frame the screen keeps, device
// contexts and locks one at a time, and frames saved as PNG.
#include "layer_fixture.h"
#include "platform/layer/row_copy.h"

#include <array>
#include <cstdio>
#include <png.h>
#include <string>
#include <vector>

namespace layertest {
namespace {

constexpr uint16_t SENTINEL = 0xAAAA;
constexpr LONG SW = 67, SH = 70, TW = 203, TH = 90;  // odd widths: the rows are padded

class Surface : public DisplayTest {
protected:
    void TearDown() override
    {
        layer::ChooseRowCopyPathAutomatically();
        DisplayTest::TearDown();
    }
};

struct Blit {
    DWORD x, y;
    RECT rect;  // all zero: a null rectangle, the whole source
    HRESULT expected = DD_OK;
};

// Edges, corners and refusals; then every width from 1 to the source's,
// placed so that the left edges fall on every alignment.
std::vector<Blit> Blits()
{
    std::vector<Blit> blits = {{0, 0, {}}, {TW - SW, TH - SH, {0, 0, SW, SH}},
        {TW - 1, TH - 1, {SW - 1, SH - 1, SW, SH}}, {TW - 64, 0, {SW - 64, SH - 3, SW, SH}},
        {TW - 33, 5, {SW - 33, 0, SW, 7}}, {TW - SW + 1, 0, {0, 0, SW, 10}, DDERR_INVALIDRECT},
        {0, TH - SH + 1, {0, 0, 10, SH}, DDERR_INVALIDRECT},
        {0, 0, {0, 0, SW + 1, SH + 1}, DDERR_INVALIDRECT},
        {0, 0, {-1, 0, 10, 10}, DDERR_INVALIDRECT}, {0, 0, {5, 5, 5, 10}, DDERR_INVALIDRECT},
        {0, 0, {10, 0, 5, 10}, DDERR_INVALIDRECT},
        {0xFFFFFFF0u, 0, {0, 0, 32, 10}, DDERR_INVALIDRECT}};
    for (LONG w = 1; w <= SW; ++w) {
        const LONG h = 1 + w % 9, left = (w * 7) % (SW - w + 1), top = w % 5;
        blits.push_back({static_cast<DWORD>((w * 13) % (TW - w + 1)),
            static_cast<DWORD>((w * 3) % (TH - h + 1)), {left, top, left + w, top + h}});
    }
    return blits;
}

TEST_F(Surface, BltFastCopiesExactlyTheRectangleOrNothingOnBothRowCopies)
{
    const auto sourcePixel
        = [](int x, int y) { return static_cast<uint16_t>(0x1000 + x * 131 + y * 7919); };
    IDirectDrawSurface* source = Offscreen(SW, SH);
    IDirectDrawSurface* target = Offscreen(TW, TH);
    Fill(source, sourcePixel);
    for (layer::RowCopyPath path : {layer::RowCopyPath::Plain, layer::RowCopyPath::Wide}) {
        if (!layer::ForceRowCopyPath(path))
            continue;  // this CPU has only the plain row copy
        ASSERT_EQ(layer::ActiveRowCopyPath(), path);
        for (const Blit& blit : Blits()) {
            const bool whole = blit.rect.right == 0;
            const RECT copied = whole ? RECT{0, 0, SW, SH} : blit.rect;
            SCOPED_TRACE(testing::Message()
                << "path " << int(path) << ", " << copied.left << "," << copied.top << " wide "
                << copied.right - copied.left << " to " << blit.x << "," << blit.y);
            Fill(target, [](int, int) { return SENTINEL; });
            RECT rect = blit.rect;
            EXPECT_EQ(target->BltFast(blit.x, blit.y, source, whole ? nullptr : &rect,
                          DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT),
                blit.expected);
            const test::Pixels after = test::ReadSurface(target);
            int wrong = 0;
            for (int y = 0; y < TH; ++y)
                for (int x = 0; x < TW; ++x) {
                    const int sx = x - static_cast<int>(blit.x) + copied.left;
                    const int sy = y - static_cast<int>(blit.y) + copied.top;
                    const bool inside = blit.expected == DD_OK && sx >= copied.left
                        && sx < copied.right && sy >= copied.top && sy < copied.bottom;
                    wrong += after.at(x, y) != (inside ? sourcePixel(sx, sy) : SENTINEL);
                }
            EXPECT_EQ(wrong, 0);
        }
    }
}

// Refusals write nothing: a missing source, unknown flags or colour keys, a
// surface drawn on or locked, a lost one. A surface gives out one context or
// one lock at a time, and takes back only its own context, once.
TEST_F(Surface, BltFastLocksAndContextsRefuseWhatTheyCannotDo)
{
    IDirectDrawSurface* source = Offscreen(16, 16);
    IDirectDrawSurface* target = Offscreen(16, 16);
    Fill(target, [](int, int) { return SENTINEL; });
    EXPECT_EQ(target->BltFast(0, 0, nullptr, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, 0x80), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_DESTCOLORKEY), DDERR_UNSUPPORTED);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
    const int gdiBefore = test::LiveGdiObjects();
    HDC dc = nullptr, second = nullptr, targetDc = nullptr;
    ASSERT_EQ(source->GetDC(&dc), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    EXPECT_EQ(source->GetDC(&second), DDERR_DCALREADYCREATED);
    ASSERT_EQ(target->GetDC(&targetDc), DD_OK);
    EXPECT_EQ(source->ReleaseDC(targetDc), DDERR_INVALIDPARAMS) << "only its own";
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(source->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    ASSERT_EQ(source->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(source->ReleaseDC(dc), DDERR_INVALIDPARAMS) << "released twice";
    ASSERT_EQ(target->ReleaseDC(targetDc), DD_OK);
    ASSERT_EQ(source->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(source->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    ASSERT_EQ(source->Unlock(nullptr), DD_OK);
    EXPECT_EQ(source->Unlock(nullptr), DDERR_NOTLOCKED);
    test::MarkSurfaceLost(source);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(test::ReadSurface(target).values, std::vector<uint16_t>(256, SENTINEL));
    ASSERT_EQ(source->Restore(), DD_OK);
    test::MarkSurfaceLost(target);
    EXPECT_EQ(target->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    // A surface that ends with its context out takes the context with it.
    ASSERT_EQ(source->GetDC(&dc), DD_OK);
    source->Release();
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);
}

uint16_t PictureA(int x, int y)
{
    return static_cast<uint16_t>((x * 3) ^ (y << 5));
}

uint16_t PictureB(int x, int y)
{
    return static_cast<uint16_t>(0xF800 | ((x + 2 * y) & 0x7FF));
}

TEST_F(Surface, FlipShowsTheBackBufferAndHandsTheOldFrontBackOrIsRefused)
{
    MakeChain();
    Fill(primary, PictureA);
    Fill(back, PictureB);
    const std::vector<uint16_t> pictureA = test::ReadSurface(primary).values;
    const std::vector<uint16_t> pictureB = test::ReadSurface(back).values;
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(test::VisibleFrame().values, pictureB);
    EXPECT_EQ(test::ReadSurface(back).values, pictureA) << "the former front is the back buffer";
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* again = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
    EXPECT_EQ(again, back) << "the interfaces keep their roles";
    ASSERT_EQ(primary->Flip(back, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(test::VisibleFrame().values, pictureA);
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY) << "the back is drawn on";
    ASSERT_EQ(back->ReleaseDC(dc), DD_OK);
    IDirectDrawSurface* other = Offscreen(8, 8);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(other->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(primary->Flip(other, DDFLIP_WAIT), DDERR_INVALIDPARAMS);
    test::MarkSurfaceLost(back);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(test::FlipCount(), 2);
    ASSERT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK) << "the chain is restored as a whole";
}

// The screen copies its pixels only when they are looked at or about to
// change: whatever happens to the memory a flipped frame came from, it shows
// that frame, until the primary's own drawing is handed over by an unlock or
// a released device context.
TEST_F(Surface, TheScreenKeepsTheFrameShownWhateverHappensToItsMemory)
{
    // Each acts while picture B is shown and A is in the back buffer, and
    // answers whether the primary's new pixel (5, 5) of 0x0001 must show.
    const auto drawOnPrimary = [](IDirectDrawSurface* primary, bool giveBack, bool lock) {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        HDC dc = nullptr;
        if (lock && primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK)
            static_cast<uint16_t*>(desc.lpSurface)[5 * desc.lPitch / 2 + 5] = 0x0001;
        if (!lock && primary->GetDC(&dc) == DD_OK)
            SetPixel(dc, 5, 5, RGB(0, 0, 8));
        return giveBack && (lock ? primary->Unlock(nullptr) : primary->ReleaseDC(dc)) == DD_OK;
    };
    using Act = std::function<bool(IDirectDrawSurface*, IDirectDrawSurface*, IDirectDraw*)>;
    const auto blitTile = [this](IDirectDrawSurface* surface) {
        IDirectDrawSurface* tile = Offscreen(8, 8);
        Fill(tile, [](int, int) { return uint16_t{0x0001}; });
        return surface->BltFast(0, 0, tile, nullptr, DDBLTFAST_WAIT) != DD_OK;
    };
    const Act acts[] = {[&](auto p, auto, auto) { return blitTile(p); },
        [&](auto, auto b, auto) { return blitTile(b); },
        [&](auto p, auto, auto) { return drawOnPrimary(p, false, true); },
        [&](auto p, auto, auto) { return drawOnPrimary(p, true, true); },
        [&](auto p, auto, auto) { return drawOnPrimary(p, false, false); },
        [&](auto p, auto, auto) { return drawOnPrimary(p, true, false); },
        [](auto p, auto, auto) { return test::MarkSurfaceLost(p), false; },
        [](auto p, auto, auto) { return p->Release(), false; },
        [](auto, auto, auto d) { return d->Release(), false; }};
    for (const Act& act : acts) {
        SCOPED_TRACE(&act - acts);
        DisplayTest::SetUp();
        MakeChain();
        Fill(back, PictureB);
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        Fill(back, PictureA);
        std::vector<uint16_t> expected = test::ReadSurface(primary).values;
        if (act(primary, back, dd))
            expected[5 * 640 + 5] = 0x0001;
        EXPECT_EQ(test::VisibleFrame().values, expected);
    }
}

TEST(SavePng, WidensEachChannelInItsPlaceByRepeatingItsHighBits)
{
    const std::vector<std::array<int, 4>> rows
        = {{0xFFFF, 255, 255, 255}, {0xF800, 255, 0, 0}, {0x07E0, 0, 255, 0}, {0x001F, 0, 0, 255},
            {0x8000, 132, 0, 0}, {0x0400, 0, 130, 0}, {0x0821, 8, 4, 8}};
    test::Pixels pixels{7, 1, {}};
    std::vector<uint8_t> expected;
    for (const auto& row : rows) {
        pixels.values.push_back(static_cast<uint16_t>(row[0]));
        expected.insert(expected.end(), row.begin() + 1, row.end());
    }
    const std::string path = testing::TempDir() + "layer_png_test.png";
    ASSERT_TRUE(test::SavePng(pixels, path));
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    std::remove(path.c_str());
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(7u, 1u));
    EXPECT_EQ(rgb, expected);
    pixels.values.pop_back();
    EXPECT_FALSE(test::SavePng(pixels, testing::TempDir() + "short.png")) << "7 x 1 from 6 values";
    EXPECT_FALSE(test::SavePng(test::Pixels{}, testing::TempDir() + "empty.png"));
}

}  // namespace
}  // namespace layertest
