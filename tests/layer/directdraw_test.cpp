// DirectDraw objects on the layer: what CreateSurface and CreatePalette make
// or refuse, reference counts and what ends with what, the display mode and
// exclusive use given back, the backend's refusal, and the call record and
// failure injection the other suites rely on.
#include "layer_fixture.h"
#include "platform/layer/device/screen.h"

#include <algorithm>
#include <string>
#include <vector>

namespace layertest {
namespace {

class DirectDraw : public DisplayTest { };

TEST_F(DirectDraw, CreateSurfaceMakesOrRefusesWithoutMakingAnything)
{
    struct Row {
        const char* name;
        void (*change)(DDSURFACEDESC&);
        HRESULT expected;
    };
    const Row rows[] = {
        {"size field zero", [](DDSURFACEDESC& d) { d.dwSize = 0; }, DDERR_INVALIDPARAMS},
        {"zero width", [](DDSURFACEDESC& d) { d.dwWidth = 0; }, DDERR_INVALIDPARAMS},
        {"absurd width", [](DDSURFACEDESC& d) { d.dwWidth = 0x80000000u; }, DDERR_INVALIDPARAMS},
        {"flipping offscreen", [](DDSURFACEDESC& d) { d.ddsCaps.dwCaps |= DDSCAPS_FLIP; },
            DDERR_INVALIDPARAMS},
        {"chain without back buffer",
            [](DDSURFACEDESC& d) { d = ChainDescription(), d.dwBackBufferCount = 0; },
            DDERR_INVALIDPARAMS},
        {"chain of two back buffers",
            [](DDSURFACEDESC& d) { d = ChainDescription(), d.dwBackBufferCount = 2; },
            DDERR_UNSUPPORTED},
        {"display format named",
            [](DDSURFACEDESC& d) {
                d.dwFlags |= DDSD_PIXELFORMAT;
                d.ddpfPixelFormat
                    = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
            },
            DD_OK}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DDSURFACEDESC desc = OffscreenDescription(33, 7);
        row.change(desc);
        IDirectDrawSurface* surface = reinterpret_cast<IDirectDrawSurface*>(&desc);
        testing::internal::CaptureStderr();
        EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), row.expected);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), row.expected == DD_OK ? 0 : 1) << err;
        if (row.expected != DD_OK) {
            EXPECT_EQ(surface, nullptr) << "the out pointer is cleared";
            EXPECT_EQ(test::LiveSurfaces(), 0);
            continue;
        }
        ASSERT_NE(surface, nullptr);
        const test::Pixels pixels = test::ReadSurface(surface);
        EXPECT_EQ(
            std::count(pixels.values.begin(), pixels.values.end(), 0), pixels.width * pixels.height)
            << "a new surface is black";
        EXPECT_EQ(surface->Release(), 0u);
    }
}

TEST_F(DirectDraw, PalettesCopyTheirTableAndKeepTheirEndsUnlessAllow256)
{
    PALETTEENTRY initial[256];
    for (int i = 0; i < 256; ++i)
        initial[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
    initial[0] = {10, 20, 30, PC_NOCOLLAPSE};
    IDirectDrawPalette *all = nullptr, *ends = nullptr, *other = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, initial, &all, nullptr), DD_OK);
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, initial, &ends, nullptr), DD_OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dd->CreatePalette(DDPCAPS_8BIT | 1, initial, &other, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->CreatePalette(DDPCAPS_8BIT, nullptr, &other, nullptr), DDERR_INVALIDPARAMS);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(test::LivePalettes(), 2);
    initial[10].peRed = 0xEE;  // the palette holds a copy

    PALETTEENTRY read[256];
    ASSERT_EQ(all->GetEntries(0, 0, 256, read), DD_OK);
    EXPECT_EQ(read[0].peRed, 10);
    EXPECT_EQ(read[10].peRed, 10);
    EXPECT_EQ(read[255].peGreen, 0);
    ASSERT_EQ(ends->GetEntries(0, 0, 256, read), DD_OK);
    EXPECT_EQ(read[0].peRed | read[0].peGreen | read[0].peBlue, 0);
    EXPECT_EQ(read[0].peFlags, PC_NOCOLLAPSE) << "the flags are kept";
    EXPECT_EQ(read[255].peRed & read[255].peGreen & read[255].peBlue, 255);
    EXPECT_EQ(read[1].peRed, 1);
    PALETTEENTRY set[2] = {{1, 2, 3, 0}, {4, 5, 6, PC_NOCOLLAPSE}};
    ASSERT_EQ(ends->SetEntries(0, 254, 2, set), DD_OK);
    ASSERT_EQ(ends->GetEntries(0, 254, 2, read), DD_OK);
    EXPECT_EQ(read[0].peRed, 1);
    EXPECT_EQ(read[1].peRed & read[1].peGreen & read[1].peBlue, 255);

    EXPECT_EQ(all->Release(), 0u);
    EXPECT_EQ(test::LivePalettes(), 1);
}

TEST_F(DirectDraw, ReferenceCountsEndASurfaceAndTheBackBufferOnlyWithItsPrimary)
{
    IDirectDrawSurface* surface = Offscreen(8, 8);
    EXPECT_EQ(surface->AddRef(), 2u);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(test::LiveSurfaces(), 1);
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(test::LiveSurfaces(), 0);
    EXPECT_EQ(surface->Release(), 0u) << "a stale pointer answers instead of crashing";
    EXPECT_EQ(surface->IsLost(), DDERR_INVALIDOBJECT);

    MakeChain();
    // The chain's reference and the one GetAttachedSurface handed out.
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(back->Release(), 1u) << "released more often than it was handed out";
    EXPECT_EQ(test::LiveSurfaces(), 2);
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(test::LiveSurfaces(), 0);
    EXPECT_EQ(back->BltFast(0, 0, Offscreen(4, 4), nullptr, DDBLTFAST_WAIT), DDERR_INVALIDOBJECT);
}

TEST_F(DirectDraw, ReleasingTheObjectEndsWhatItMadeAndGivesBackModeAndExclusiveUse)
{
    MakeChain();
    DDSURFACEDESC desc = ChainDescription();
    IDirectDrawSurface* second = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    IDirectDraw* other = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DDERR_EXCLUSIVEMODEALREADYSET);
    other->Release();

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
    EXPECT_EQ(test::LiveDirectDrawObjects() + test::LiveSurfaces() + test::LivePalettes(), 0);
    EXPECT_EQ(test::LiveGdiObjects(), gdiBefore) << "the back buffer's context went with it";
    const test::DisplayMode mode = test::CurrentDisplayMode();
    EXPECT_EQ(std::make_pair(mode.width, mode.height), std::make_pair(1024, 768));
    EXPECT_EQ(mode.bitsPerPixel, 32);
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
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
    test::ResetLayer();

    std::string reason;
    EXPECT_NE(layer::BackendNamedBy("headless", reason), nullptr);
    EXPECT_EQ(layer::BackendNamedBy("vga", reason), nullptr);
    EXPECT_NE(reason.find("TILESCROLL_BACKEND=vga"), std::string::npos) << reason;
}

TEST_F(DirectDraw, FailuresHitTheNthMatchingCallAndRecordsKeepOrderAndObjects)
{
    DDSURFACEDESC desc = OffscreenDescription(4, 4);
    IDirectDrawSurface* surface = nullptr;
    test::FailCall("CreateSurface", 2, 2);
    for (HRESULT expected : {DD_OK, DDERR_GENERIC, DDERR_GENERIC, DD_OK})
        EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), expected);
    EXPECT_EQ(test::LiveSurfaces(), 2);

    // Limited to one object, the others are left alone.
    IDirectDrawSurface* other = Offscreen(4, 4);
    test::FailCall("GetDC", 1, 1, other);
    HDC dc = nullptr;
    test::StartRecording();
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    surface->ReleaseDC(dc);
    EXPECT_EQ(other->GetDC(&dc), DDERR_GENERIC);
    PostMessageA(window, WM_USER, 0, 0);
    const std::vector<test::RecordedCall> calls = test::StopRecording();
    std::vector<std::string> operations;
    for (const test::RecordedCall& call : calls)
        operations.push_back(call.operation);
    EXPECT_EQ(
        operations, (std::vector<std::string>{"GetDC", "ReleaseDC", "GetDC", "PostMessageA"}));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].object, surface);
    EXPECT_EQ(calls[2].object, other);
    EXPECT_EQ(calls[3].object, window);

    test::FailCall("PeekMessageA", 1, -1);
    MSG msg;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    test::ClearFailures();
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
}  // namespace layertest
