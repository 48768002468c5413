// Surfaces on the layer: BltFast on both row copies, the flipping chain and
// the frame the screen keeps.
#include "platform/layer/ddraw/row_copy.h"
#include "tests/layer/layer_fixture.h"

#include <vector>

namespace layertest {
namespace {

constexpr uint16_t SENTINEL = 0xAAAA;
constexpr LONG SW = 67, SH = 70, TW = 203, TH = 90;  // odd widths: the rows are padded

class Surface : public DisplayTest { };

struct Blit {
    DWORD x, y;
    RECT rect;  // all zero: a null rectangle, the whole source
    HRESULT expected = DD_OK;
};

// Edges, corners and refusals; then every width from 1 to the source's,
// placed so that the left edges fall on every alignment.
std::vector<Blit> Blits()
{
    std::vector<Blit> blits
        = {{0, 0, {}}, {TW - SW, TH - SH, {0, 0, SW, SH}}, {TW - 64, 0, {SW - 64, SH - 3, SW, SH}},
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
    layer::ChooseRowCopyPathAutomatically();
}

// A flip shows the back buffer and hands the old front back. Whatever then
// happens to the memory the shown frame came from, the screen shows that
// frame, until the primary's own drawing is handed back (unlock, ReleaseDC).
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
            [](auto, auto, auto d) { return d->Release(), false; }};
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
        if (act(primary, back, dd))
            b[5 * 640 + 5] = 0x0001;
        EXPECT_EQ(test::VisibleFrame().values, b);
        EXPECT_EQ(test::FlipCount(), 1);
    }
    // Ended with its DirectDraw object, the chain answers as an ended object.
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_INVALIDOBJECT);
    EXPECT_EQ(back->IsLost(), DDERR_INVALIDOBJECT);
}

// Keys, waits, placement, the display's format, the chain's count, attachments.
TEST_F(Surface, KeysWaitsPlacementAndAttachmentsAnswerAsThePlatformDoes)
{
    IDirectDrawSurface* surface = Offscreen(4, 4);
    DDSURFACEDESC desc = OffscreenDescription(4, 4);
    EXPECT_EQ(surface->BltFast(0, 0, surface, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
    EXPECT_EQ(surface->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    test::LockStillDrawing(surface, 2);
    for (const DWORD flags : {DWORD{DDLOCK_WAIT}, DWORD{0}}) {
        EXPECT_EQ(surface->Lock(nullptr, &desc, flags, nullptr), DD_OK) << flags;
        EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    }
    EXPECT_EQ(desc.ddsCaps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY});
    const DDPIXELFORMAT format = desc.ddpfPixelFormat;
    desc = OffscreenDescription(4, 4);
    desc.dwFlags |= DDSD_PIXELFORMAT;
    desc.ddpfPixelFormat = format;
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    IDirectDrawSurface* made = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &made, nullptr), DD_OK);
    ASSERT_EQ(made->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.ddsCaps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY});
    // A primary may stand alone, without a back buffer.
    desc.dwFlags = DDSD_CAPS, desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    EXPECT_EQ(primary->Release(), 0u);
    MakeChain();
    ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwBackBufferCount, 1u);
    DDSCAPS none = {0};
    EXPECT_EQ(primary->GetAttachedSurface(&none, &made), DDERR_NOTFOUND);
}

// A stale pointer answers as an ended object for a while, but the shells of
// surfaces made and released in a loop are freed as they go.
TEST_F(Surface, EndedSurfacesAnswerWhileTheirShellsStayBounded)
{
    IDirectDrawSurface* first = Offscreen(8, 8);
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(first->IsLost(), DDERR_INVALIDOBJECT);
    std::vector<int> kept;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 400; ++i)
            Offscreen(8, 8)->Release();
        kept.push_back(test::KeptShells());
    }
    EXPECT_GT(kept[0], 0) << "no shell kept for a stale pointer";
    EXPECT_EQ(kept[1], kept[0]) << "shells grow with the surfaces released";
    EXPECT_EQ(kept[2], kept[0]);
    test::ResetLayer();
    EXPECT_EQ(test::KeptShells() + test::LiveDirectDrawObjects(), 0) << "the reset ends all";
}

}  // namespace
}  // namespace layertest
