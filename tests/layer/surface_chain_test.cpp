// The flipping chain, device contexts, locks and lost surfaces.
#include "layer_fixture.h"

#include <vector>

namespace layertest {
namespace {

uint16_t PatternA(int x, int y)
{
    return static_cast<uint16_t>(x ^ (y << 6));
}

uint16_t PatternB(int x, int y)
{
    return static_cast<uint16_t>(0xF800 | ((x + y) & 0x7FF));
}

std::vector<uint16_t> Expected(int width, int height, uint16_t (*pattern)(int, int))
{
    std::vector<uint16_t> values;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            values.push_back(pattern(x, y));
    return values;
}

class Chain : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        MakeChain();
    }
};

TEST_F(Chain, HasTheModesSizeAndTheDisplayFormat)
{
    for (IDirectDrawSurface* surface : {primary, back}) {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(desc.dwWidth, 640u);
        EXPECT_EQ(desc.dwHeight, 480u);
        EXPECT_EQ(desc.lPitch, 1280);
        EXPECT_EQ(desc.ddpfPixelFormat.dwSize, sizeof(DDPIXELFORMAT));
        EXPECT_EQ(desc.ddpfPixelFormat.dwFlags & DDPF_RGB, DDPF_RGB);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
        EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x001Fu);
    }
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_NE(desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE, 0u);
    ASSERT_EQ(back->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_NE(desc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER, 0u);
    EXPECT_EQ(desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE, 0u);
}

TEST_F(Chain, FlipShowsTheBackBufferAndHandsTheOldFrontBack)
{
    Fill(primary, PatternA);
    Fill(back, PatternB);
    const int flips = test::FlipCount();

    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(test::FlipCount(), flips + 1);
    const test::Pixels shown = test::VisibleFrame();
    ASSERT_EQ(shown.width, 640);
    ASSERT_EQ(shown.height, 480);
    EXPECT_EQ(shown.values, Expected(640, 480, PatternB));
    EXPECT_EQ(test::ReadSurface(primary).values, Expected(640, 480, PatternB));
    EXPECT_EQ(test::ReadSurface(back).values, Expected(640, 480, PatternA))
        << "the former front is the next back buffer";

    // The interfaces keep their roles: the same pointer is still the back buffer.
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* again = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
    EXPECT_EQ(again, back);

    ASSERT_EQ(primary->Flip(back, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(test::VisibleFrame().values, Expected(640, 480, PatternA));
}

TEST_F(Chain, FlipIsRefusedWhereItCannotHappen)
{
    IDirectDrawSurface* other = Offscreen(8, 8);
    const int flips = test::FlipCount();
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(other->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(primary->Flip(other, DDFLIP_WAIT), DDERR_INVALIDPARAMS);

    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY)
        << "the context draws into the back buffer's memory";
    ASSERT_EQ(back->ReleaseDC(dc), DD_OK);

    test::MarkSurfaceLost(back);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(test::FlipCount(), flips);
    ASSERT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK) << "the chain is restored as a whole";
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_F(Chain, DrawingOnThePrimaryShowsAtOnceAndOnTheBackBufferDoesNot)
{
    Fill(primary, [](int, int) { return uint16_t{0x1234}; });
    EXPECT_EQ(test::VisibleFrame().at(5, 5), 0x1234) << "Unlock on the primary presents";

    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    SetPixel(dc, 5, 5, RGB(255, 0, 0));
    ASSERT_EQ(back->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(test::VisibleFrame().at(5, 5), 0x1234);

    ASSERT_EQ(primary->GetDC(&dc), DD_OK);
    SetPixel(dc, 5, 5, RGB(0, 0, 255));
    EXPECT_EQ(test::VisibleFrame().at(5, 5), 0x1234) << "shown when the context is released";
    ASSERT_EQ(primary->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(test::VisibleFrame().at(5, 5), 0x001F);
}

class DeviceContext : public DisplayTest { };

TEST_F(DeviceContext, OneAtATimeAndOnlyItsOwnIsReleased)
{
    IDirectDrawSurface* surface = Offscreen(16, 16);
    IDirectDrawSurface* other = Offscreen(16, 16);
    const int gdiBefore = test::LiveGdiObjects();

    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    ASSERT_NE(dc, nullptr);
    HDC second = nullptr;
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(second, nullptr);

    HDC otherDc = nullptr;
    ASSERT_EQ(other->GetDC(&otherDc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(otherDc), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED) << "its own context is still out";
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);

    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_INVALIDPARAMS) << "released twice";
    ASSERT_EQ(other->ReleaseDC(otherDc), DD_OK);
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);

    // A surface that ends with its context out takes the context with it.
    surface->Release();
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);
}

class Locking : public DisplayTest { };

TEST_F(Locking, GivesTheRealPitchAndFormat)
{
    IDirectDrawSurface* surface = Offscreen(61, 3);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.dwWidth, 61u);
    EXPECT_EQ(desc.dwHeight, 3u);
    EXPECT_GE(desc.lPitch, 61 * 2);
    EXPECT_EQ(desc.lPitch % 4, 0);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    ASSERT_NE(desc.lpSurface, nullptr);
    // The first pixel of each row, reached through the pitch.
    for (int y = 0; y < 3; ++y)
        *reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch)
            = static_cast<uint16_t>(100 + y);
    EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);

    const test::Pixels pixels = test::ReadSurface(surface);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(pixels.at(0, y), 100 + y);
}

TEST_F(Locking, ARectangleLocksFromItsCorner)
{
    IDirectDrawSurface* surface = Offscreen(10, 10);
    Fill(surface, [](int, int) { return uint16_t{0}; });
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    RECT rect = {3, 4, 6, 8};
    ASSERT_EQ(surface->Lock(&rect, &desc, 0, nullptr), DD_OK);
    *static_cast<uint16_t*>(desc.lpSurface) = 0x1111;
    EXPECT_EQ(surface->Unlock(reinterpret_cast<uint8_t*>(desc.lpSurface) + 2), DDERR_INVALIDPARAMS);
    ASSERT_EQ(surface->Unlock(desc.lpSurface), DD_OK);
    EXPECT_EQ(test::ReadSurface(surface).at(3, 4), 0x1111);

    RECT outside = {8, 8, 11, 9};
    EXPECT_EQ(surface->Lock(&outside, &desc, 0, nullptr), DDERR_INVALIDRECT);
    desc.dwSize = 0;
    EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(Locking, StillDrawingAnswersTheGivenNumberOfTimesUnlessWaiting)
{
    IDirectDrawSurface* surface = Offscreen(4, 4);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    test::LockStillDrawing(surface, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DDERR_WASSTILLDRAWING) << i;
    ASSERT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);

    test::LockStillDrawing(surface, 5);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK) << "waits it out";
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DD_OK);
}

class LostSurface : public DisplayTest { };

TEST_F(LostSurface, AnswersLostUntilRestoredAndLosesItsPicture)
{
    IDirectDrawSurface* surface = Offscreen(32, 32);
    Fill(surface, [](int, int) { return uint16_t{0x0F0F}; });
    test::MarkSurfaceLost(surface);

    EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACELOST);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(surface->GetSurfaceDesc(&desc), DD_OK) << "its description is still there";

    ASSERT_EQ(surface->Restore(), DD_OK);
    EXPECT_EQ(surface->IsLost(), DD_OK);
    int kept = 0;
    for (uint16_t value : test::ReadSurface(surface).values)
        kept += value == 0x0F0F;
    EXPECT_LT(kept, 32 * 32 / 2) << "the memory came back, not the picture";
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
}

}  // namespace
}  // namespace layertest
