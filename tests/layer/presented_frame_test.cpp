// What the headless screen shows is the frame as it was flipped (or as the
// primary was left by a released device context or an unlock), whatever
// later happens to the memory it came from: drawing on the primary, a lock
// still held, a lost chain, the display released. The screen copies its
// pixels only when they are looked at or about to change, so each of these
// must hand them over first.
#include "layer_fixture.h"

#include <functional>
#include <vector>

namespace layertest {
namespace {

class PresentedFrame : public DisplayTest { };

uint16_t PictureA(int x, int y)
{
    return static_cast<uint16_t>((x * 3) ^ (y << 5));
}

uint16_t PictureB(int x, int y)
{
    return static_cast<uint16_t>(0xF800 | ((x + 2 * y) & 0x7FF));
}

TEST_F(PresentedFrame, TheScreenKeepsTheFrameShownWhateverHappensToItsMemory)
{
    struct Row {
        const char* name;
        // Acts on the chain while picture B is shown and A is in the back
        // buffer; the primary holds a third picture of 0x0001 where written.
        std::function<void(IDirectDrawSurface* primary, IDirectDrawSurface* back, IDirectDraw* dd,
            IDirectDrawSurface* tile)>
            act;
        bool showsB;  // else the primary's new pixel (5, 5) shows as 0x0001
    };
    const auto writeThroughLock = [](IDirectDrawSurface* surface) {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        auto* row = reinterpret_cast<uint16_t*>(
            static_cast<uint8_t*>(desc.lpSurface) + 5 * static_cast<size_t>(desc.lPitch));
        row[5] = 0x0001;
    };
    const Row rows[] = {
        {"a blit onto the primary",
            [](auto primary, auto, auto, auto tile) {
                RECT rect = {0, 0, 8, 8};
                ASSERT_EQ(primary->BltFast(0, 0, tile, &rect, DDBLTFAST_WAIT), DD_OK);
            },
            true},
        {"a lock on the primary not yet given back",
            [&](auto primary, auto, auto, auto) { writeThroughLock(primary); }, true},
        {"a lock on the primary given back",
            [&](auto primary, auto, auto, auto) {
                writeThroughLock(primary);
                ASSERT_EQ(primary->Unlock(nullptr), DD_OK);
            },
            false},
        {"a device context on the primary still held",
            [](auto primary, auto, auto, auto) {
                HDC dc = nullptr;
                ASSERT_EQ(primary->GetDC(&dc), DD_OK);
                SetPixel(dc, 5, 5, RGB(0, 0, 8));
            },
            true},
        {"the chain lost", [](auto primary, auto, auto, auto) { test::MarkSurfaceLost(primary); },
            true},
        {"the primary released", [](auto primary, auto, auto, auto) { primary->Release(); }, true},
        {"the DirectDraw object released", [](auto, auto, auto dd, auto) { dd->Release(); }, true},
        {"the back buffer drawn on",
            [](auto, auto back, auto, auto tile) {
                RECT rect = {0, 0, 8, 8};
                ASSERT_EQ(back->BltFast(0, 0, tile, &rect, DDBLTFAST_WAIT), DD_OK);
            },
            true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::ResetLayer(1024, 768);
        window = CreateTestWindow();
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK);
        ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
        MakeChain();
        IDirectDrawSurface* tile = Offscreen(8, 8);
        Fill(tile, [](int, int) { return uint16_t{0x0001}; });
        Fill(back, PictureB);
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        Fill(back, PictureA);
        const std::vector<uint16_t> pictureB = test::ReadSurface(primary).values;

        row.act(primary, back, dd, tile);
        const test::Pixels shown = test::VisibleFrame();
        ASSERT_EQ(shown.values.size(), pictureB.size());
        if (row.showsB) {
            EXPECT_EQ(shown.values, pictureB);
        } else {
            EXPECT_EQ(shown.at(5, 5), 0x0001);
            EXPECT_EQ(shown.at(6, 5), pictureB[5 * 640 + 6]);
        }
    }
}

}  // namespace
}  // namespace layertest
