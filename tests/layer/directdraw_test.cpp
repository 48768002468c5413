// DirectDraw objects on the layer: what CreateSurface makes or refuses, reference counts and what
// ends with what, the display mode and exclusive use given back, the backend's refusal, and the
// call record, failure rules and hooks the other suites rely on.
#include "layer_fixture.h"
#include "platform/layer/screen.h"

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
    std::vector<std::pair<std::string, const void*>> calls;
    for (const test::RecordedCall& call : test::StopRecording())
        calls.emplace_back(call.operation, call.object);
    EXPECT_EQ(calls,
        (std::vector<std::pair<std::string, const void*>>{{"GetDC", surface},
            {"ReleaseDC", surface}, {"GetDC", other}, {"PostMessageA", window}}));

    test::FailCall("PeekMessageA", 1, -1);
    MSG msg;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    test::ClearFailures();
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    // PostQuitMessage, ShowCursor and Release cannot fail on the platform: a
    // failure rule for them changes nothing, so a loop always gets its quit.
    for (const char* operation : {"PostQuitMessage", "ShowCursor", "Release"})
        test::FailCall(operation, 1, -1);
    PostQuitMessage(7);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(other->Release(), 0u);

    // A hook runs before the call's own work and before the failure rules,
    // so what it arms applies to the very call that ran it; the calls it
    // makes itself run no hooks. It is gone with ResetLayer.
    std::vector<HRESULT> inHook;
    test::OnCall("GetDC", [&] {
        HDC inner = nullptr;
        inHook.push_back(surface->GetDC(&inner));
        surface->ReleaseDC(inner);
        test::FailCall("GetDC");
    });
    EXPECT_EQ(surface->GetDC(&dc), DDERR_GENERIC);
    EXPECT_EQ(inHook, std::vector<HRESULT>{DD_OK});
    test::OnCall("PostMessageA", [&] { inHook.push_back(DD_OK); });
    test::ResetLayer();
    PostMessageA(nullptr, WM_USER, 0, 0);
    EXPECT_EQ(inHook.size(), 1u);
}

}  // namespace
}  // namespace layertest
