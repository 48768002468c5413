// Reference counts, the order things end in, and the display mode and
// exclusive use given back with the DirectDraw object.
#include "layer_fixture.h"
#include "platform/layer/screen.h"

#include <algorithm>
#include <string>
#include <vector>

namespace layertest {
namespace {

class Lifetime : public DisplayTest { };

TEST_F(Lifetime, ReferenceCountsEndTheSurfaceAtZero)
{
    IDirectDrawSurface* surface = Offscreen(8, 8);
    const int live = test::LiveSurfaces();
    EXPECT_EQ(surface->AddRef(), 2u);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(test::LiveSurfaces(), live);
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(test::LiveSurfaces(), live - 1);
    // A stale pointer answers instead of crashing.
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(surface->IsLost(), DDERR_INVALIDOBJECT);
}

TEST_F(Lifetime, TheBackBufferEndsOnlyWithItsPrimary)
{
    MakeChain();
    EXPECT_EQ(test::LiveSurfaces(), 2);
    // The chain's reference and the one GetAttachedSurface handed out.
    EXPECT_EQ(back->AddRef(), 3u);
    EXPECT_EQ(back->Release(), 2u);
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(back->Release(), 1u) << "released more often than it was handed out";
    EXPECT_EQ(test::LiveSurfaces(), 2);
    EXPECT_EQ(back->IsLost(), DD_OK);

    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(test::LiveSurfaces(), 0);
    IDirectDrawSurface* tile = Offscreen(4, 4);
    EXPECT_EQ(back->BltFast(0, 0, tile, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDOBJECT);
}

TEST_F(Lifetime, ReleasingTheObjectGivesBackTheModeAndEndsWhatItMade)
{
    MakeChain();
    Offscreen(64, 64);
    IDirectDrawPalette* palette = nullptr;
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);

    EXPECT_EQ(dd->AddRef(), 2u);
    EXPECT_EQ(dd->Release(), 1u);
    EXPECT_EQ(test::CurrentDisplayMode().width, 640) << "still held once";

    const int gdiBefore = test::LiveGdiObjects();
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(dd->Release(), 0u);
    EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
    EXPECT_EQ(test::LiveSurfaces(), 0);
    EXPECT_EQ(test::LivePalettes(), 0);
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore);
    const test::DisplayMode mode = test::CurrentDisplayMode();
    EXPECT_EQ(mode.width, 1024);
    EXPECT_EQ(mode.height, 768);
    EXPECT_EQ(mode.bitsPerPixel, 32);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);

    // Exclusive use is free again for a new object.
    IDirectDraw* next = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &next, nullptr), DD_OK);
    EXPECT_EQ(next->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK);
    next->Release();
}

TEST_F(Lifetime, OnePrimaryAndOneExclusiveOwnerAtATime)
{
    MakeChain();
    DDSURFACEDESC desc = ChainDescription();
    IDirectDrawSurface* second = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    EXPECT_EQ(second, nullptr);

    IDirectDraw* other = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DDERR_EXCLUSIVEMODEALREADYSET);
    EXPECT_EQ(other->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    other->Release();

    primary->Release();
    EXPECT_EQ(dd->CreateSurface(&desc, &second, nullptr), DD_OK);
    EXPECT_NE(second, nullptr);
}

TEST_F(Lifetime, ResetLayerEndsWhatATestForgot)
{
    MakeChain();
    Offscreen(16, 16);
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    test::ResetLayer(800, 600);
    EXPECT_EQ(test::LiveSurfaces(), 0);
    EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
    EXPECT_EQ(test::LiveWindows(), 0);
    EXPECT_EQ(test::LiveGdiObjects(), 0);
    EXPECT_EQ(test::CurrentDisplayMode().width, 800);
    EXPECT_EQ(test::FlipCount(), 0);
}

class DisplayModes : public LayerTest {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    }
    IDirectDraw* dd = nullptr;
};

TEST_F(DisplayModes, NeedExclusiveUseAndSixteenBits)
{
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(dd->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK);
    for (DWORD bpp : {8u, 15u, 24u, 32u})
        EXPECT_EQ(dd->SetDisplayMode(640, 480, bpp), DDERR_INVALIDMODE) << bpp;
    EXPECT_EQ(dd->SetDisplayMode(641, 480, 16), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->SetDisplayMode(0, 0, 16), DDERR_INVALIDMODE);
    EXPECT_EQ(test::CurrentDisplayMode().width, 1024) << "a refused mode changes nothing";
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_EQ(test::CurrentDisplayMode().bitsPerPixel, 16);
}

TEST_F(DisplayModes, CooperativeLevelNeedsALiveWindowAndAConsistentLevel)
{
    HWND dead = CreateTestWindow();
    ASSERT_TRUE(DestroyWindow(dead));
    EXPECT_EQ(dd->SetCooperativeLevel(dead, EXCLUSIVE_LEVEL), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, EXCLUSIVE_LEVEL), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
        DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK);
}

TEST_F(DisplayModes, SurfacesNeedASixteenBitMode)
{
    ASSERT_EQ(dd->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK);
    DDSURFACEDESC desc = OffscreenDescription(8, 8);
    IDirectDrawSurface* surface = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_UNSUPPORTED)
        << "the desktop runs at 32 bits";
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("layer: CreateSurface: "), std::string::npos);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
}

TEST(Backend, DirectDrawCreateFailsWithOneLineWhenNoBackendStarts)
{
    layer::InstallBackend(nullptr);
    IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(&dd);  // must be cleared
    testing::internal::CaptureStderr();
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DDERR_NODIRECTDRAWHW);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dd, nullptr);
    EXPECT_EQ(err.rfind("layer: DirectDrawCreate: no display backend: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
    test::ResetLayer();
}

TEST(Backend, TheSettingNamesTheBackendWithoutFallingBack)
{
    std::string reason;
    std::unique_ptr<layer::Backend> headless = layer::BackendNamedBy("headless", reason);
    ASSERT_NE(headless, nullptr);
    ASSERT_TRUE(headless->Start(reason));
    EXPECT_EQ(headless->DesktopSize().width, 1024);

    std::unique_ptr<layer::Backend> unknown = layer::BackendNamedBy("vga", reason);
    EXPECT_EQ(unknown, nullptr);
    EXPECT_NE(reason.find("TILESCROLL_BACKEND=vga"), std::string::npos) << reason;
}

}  // namespace
}  // namespace layertest
