// Hooks on named calls, and the calls that the platform never fails.
#include "layer_fixture.h"

#include <vector>

namespace layertest {
namespace {

class CallHook : public DisplayTest { };

// The hook runs before the call's own work and before the failure rules, so
// what it arms applies to the very call that ran it; the calls it makes
// itself run no hooks.
TEST_F(CallHook, RunsFirstWithoutRecursingAndUntilRemoved)
{
    IDirectDrawSurface* surface = Offscreen(4, 4);
    std::vector<HRESULT> inHook;
    int runs = 0;
    test::OnCall("GetDC", [&] {
        ++runs;
        HDC inner = nullptr;
        inHook.push_back(surface->GetDC(&inner));
        surface->ReleaseDC(inner);
        if (runs == 2)
            test::FailCall("GetDC");
    });
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK) << "the hook's context was given back first";
    EXPECT_EQ(surface->GetDC(&dc), DDERR_GENERIC) << "armed by the hook for this call";
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(inHook, (std::vector<HRESULT>{DD_OK, DD_OK}));

    test::OnCall("GetDC", nullptr);
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    surface->ReleaseDC(dc);
    test::OnCall("PostMessageA", [&] { ++runs; });
    test::ResetLayer();
    PostMessageA(nullptr, WM_USER, 0, 0);
    EXPECT_EQ(runs, 2) << "gone with ResetLayer";
}

// PostQuitMessage, ShowCursor and Release cannot fail on the platform: a
// failure rule for them changes nothing, so a loop always gets its quit.
TEST_F(CallHook, CallsWithoutAFailureIgnoreFailureRules)
{
    IDirectDrawSurface* surface = Offscreen(4, 4);
    for (const char* operation : {"PostQuitMessage", "ShowCursor", "Release"})
        test::FailCall(operation, 1, -1);

    PostQuitMessage(7);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);

    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_TRUE(test::CursorHidden());
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(test::LiveSurfaces(), 0);
}

}  // namespace
}  // namespace layertest
