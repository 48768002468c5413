// DirectDraw objects on the layer: what CreateSurface makes or refuses,
// reference counts and what ends with what, the display mode and exclusive
// use given back, and the refusal when there is no backend.
#include "platform/layer/device/screen.h"
#include "tests/layer/layer_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace layertest {
namespace {

class DirectDraw : public DisplayTest { };

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(DirectDraw, CreateSurfaceMakesOrRefusesWithoutMakingAnything)
{
    struct Row {
        void (*change)(DDSURFACEDESC&);
        HRESULT expected;
    };
    const Row rows[] = {{[](DDSURFACEDESC& d) { d.dwSize = 0; }, DDERR_INVALIDPARAMS},
        {[](DDSURFACEDESC& d) { d.dwWidth = 0; }, DDERR_INVALIDPARAMS},
        {[](DDSURFACEDESC& d) { d.dwWidth = 0x80000000u; }, DDERR_INVALIDPARAMS},
        {[](DDSURFACEDESC& d) { d.ddsCaps.dwCaps |= DDSCAPS_FLIP; }, DDERR_INVALIDPARAMS},
        {[](DDSURFACEDESC& d) { d = ChainDescription(), d.dwBackBufferCount = 0; },
            DDERR_INVALIDPARAMS},
        {[](DDSURFACEDESC& d) { d = ChainDescription(), d.dwBackBufferCount = 2; },
            DDERR_UNSUPPORTED},
        {[](DDSURFACEDESC& d) {
             d.dwFlags |= DDSD_PIXELFORMAT;
             d.ddpfPixelFormat
                 = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
         },
            DD_OK}};
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        DDSURFACEDESC desc = OffscreenDescription(33, 7);
        row.change(desc);
        auto* surface = reinterpret_cast<IDirectDrawSurface*>(&desc);
        testing::internal::CaptureStderr();
        EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), row.expected);
        EXPECT_EQ(Lines(testing::internal::GetCapturedStderr()), row.expected == DD_OK ? 0 : 1);
        if (row.expected != DD_OK) {
            EXPECT_EQ(surface, nullptr) << "the out pointer is cleared";
            EXPECT_EQ(test::LiveSurfaces(), 0);
            continue;
        }
        EXPECT_EQ(test::ReadSurface(surface).values, std::vector<uint16_t>(33 * 7, 0))
            << "a new surface is black";
        EXPECT_EQ(surface->Release(), 0u);
    }
}

TEST_F(DirectDraw, ReferenceCountsEndWhatTheObjectMadeAndGiveBackModeAndExclusiveUse)
{
    IDirectDrawSurface* surface = Offscreen(8, 8);
    EXPECT_EQ(surface->AddRef(), 2u);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(surface->Release(), 0u) << "a stale pointer answers instead of crashing";
    EXPECT_EQ(surface->IsLost(), DDERR_INVALIDOBJECT);
    MakeChain();
    // The chain's reference and the one GetAttachedSurface handed out.
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(back->Release(), 1u) << "released more often than it was handed out";
    EXPECT_EQ(test::LiveSurfaces(), 2);

    DDSURFACEDESC desc = ChainDescription();
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    IDirectDraw* other = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DDERR_EXCLUSIVEMODEALREADYSET);
    other->Release();
    Offscreen(64, 64);
    IDirectDrawPalette* palette = nullptr;
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    EXPECT_EQ(dd->AddRef(), 2u);
    EXPECT_EQ(dd->Release(), 1u);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640) << "still held once";
    const int gdiBefore = test::LiveGdiObjects();
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(dd->Release(), 0u);
    EXPECT_EQ(test::LiveDirectDrawObjects() + test::LiveSurfaces() + test::LivePalettes(), 0);
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore) << "the back buffer's context went with it";
    EXPECT_EQ(back->BltFast(0, 0, primary, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDOBJECT);
    const test::DisplayMode mode = test::CurrentDisplayMode();
    EXPECT_EQ((std::vector<int>{mode.width, mode.height, mode.bitsPerPixel}),
        (std::vector<int>{1024, 768, 32}));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK)
        << "exclusive use is free";
    other->Release();
}

TEST(Backend, NoBackendFailsDirectDrawCreateWithOneLineAndNoneIsGuessed)
{
    test::ResetLayer();
    layer::InstallBackend(nullptr);
    IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(&dd);  // must be cleared
    testing::internal::CaptureStderr();
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DDERR_NODIRECTDRAWHW);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dd, nullptr);
    EXPECT_EQ(err.rfind("layer: DirectDrawCreate: no display backend: ", 0), 0u) << err;
    EXPECT_EQ(Lines(err), 1);
    EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
    test::ResetLayer();
    std::string reason;
    EXPECT_NE(layer::BackendNamedBy("headless", reason), nullptr);
    EXPECT_EQ(layer::BackendNamedBy("vga", reason), nullptr);
    EXPECT_NE(reason.find("TILESCROLL_BACKEND=vga"), std::string::npos) << reason;
}

}  // namespace
}  // namespace layertest
