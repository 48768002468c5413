// Surfaces on the layer: BltFast copying exactly its rectangle or nothing on
// both row copies, device contexts and locks one at a time, the flipping
// chain and the frame the screen keeps, and frames saved as PNG.
#include "platform/layer/ddraw/row_copy.h"
#include "tests/layer/layer_fixture.h"

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

// A flip shows the back buffer and hands the old front back. The screen
// copies its pixels only when they are looked at or about to change: so
// whatever then happens to the memory a flipped frame came from, it shows
// that frame, until the primary's own drawing is handed over by an unlock or
// a released device context. Flips that cannot happen change nothing.
TEST_F(Surface, TheScreenShowsTheFlippedFrameWhateverHappensToItsMemory)
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
    const Act acts[]
        = {[](auto p, auto b, auto) { return p->BltFast(0, 0, b, nullptr, 0) != DD_OK; },
            [&](auto p, auto, auto) { return drawOnPrimary(p, false, true); },
            [&](auto p, auto, auto) { return drawOnPrimary(p, true, true); },
            [&](auto p, auto, auto) { return drawOnPrimary(p, false, false); },
            [&](auto p, auto, auto) { return drawOnPrimary(p, true, false); },
            [](auto p, auto, auto) { return test::MarkSurfaceLost(p), false; },
            [](auto, auto, auto d) { return d->Release(), false; },
            [this](auto p, auto b, auto) {
                IDirectDrawSurface* other = Offscreen(8, 8);
                HDC dc = nullptr;
                EXPECT_EQ(b->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
                EXPECT_EQ(other->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
                EXPECT_EQ(p->Flip(other, 0), DDERR_INVALIDPARAMS);
                EXPECT_EQ(b->GetDC(&dc), DD_OK);
                EXPECT_EQ(p->Flip(nullptr, 0), DDERR_SURFACEBUSY) << "the back is drawn on";
                EXPECT_EQ(b->ReleaseDC(dc), DD_OK);
                test::MarkSurfaceLost(b);
                EXPECT_EQ(p->Flip(nullptr, 0), DDERR_SURFACELOST);
                EXPECT_EQ(p->Restore(), DD_OK);
                EXPECT_EQ(b->IsLost(), DD_OK) << "the chain is restored as a whole";
                return false;
            }};
    for (const Act& act : acts) {
        SCOPED_TRACE(&act - acts);
        DisplayTest::SetUp();
        MakeChain();
        Fill(primary, [](int x, int y) { return static_cast<uint16_t>((x * 3) ^ (y << 5)); });
        Fill(back,
            [](int x, int y) { return static_cast<uint16_t>(0xF800 | ((x + 2 * y) & 0x7FF)); });
        const std::vector<uint16_t> a = test::ReadSurface(primary).values;
        std::vector<uint16_t> b = test::ReadSurface(back).values;
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        EXPECT_EQ(test::ReadSurface(back).values, a) << "the former front is the back buffer";
        DDSCAPS caps = {DDSCAPS_BACKBUFFER};
        IDirectDrawSurface* again = nullptr;
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
        EXPECT_EQ(again, back) << "the interfaces keep their roles";
        if (act(primary, back, dd))
            b[5 * 640 + 5] = 0x0001;
        EXPECT_EQ(test::VisibleFrame().values, b);
        EXPECT_EQ(test::FlipCount(), 1);
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
