// Failure injection and the call record, through emulated calls.
#include "layer_fixture.h"

#include <string>
#include <vector>

namespace layertest {
namespace {

class CallLog : public DisplayTest { };

TEST_F(CallLog, TheNthMatchingCallFailsAndCountedOnesAfterIt)
{
    DDSURFACEDESC desc = OffscreenDescription(4, 4);
    IDirectDrawSurface* surface = nullptr;
    test::FailCall("CreateSurface", 2, 2);
    const HRESULT expected[] = {DD_OK, DDERR_GENERIC, DDERR_GENERIC, DD_OK};
    for (HRESULT result : expected) {
        EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), result);
        EXPECT_EQ(surface == nullptr, result != DD_OK);
    }
    EXPECT_EQ(test::LiveSurfaces(), 2);

    test::FailCall("PeekMessageA", 1, -1);
    MSG msg;
    PostMessageA(window, WM_USER, 0, 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
    test::ClearFailures();
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(CallLog, AFailureForOneObjectLeavesTheOthers)
{
    IDirectDrawSurface* first = Offscreen(4, 4);
    IDirectDrawSurface* second = Offscreen(4, 4);
    test::FailCall("GetDC", 1, 1, second);
    HDC dc = nullptr;
    ASSERT_EQ(first->GetDC(&dc), DD_OK);
    ASSERT_EQ(first->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(second->GetDC(&dc), DDERR_GENERIC);
    EXPECT_EQ(dc, nullptr);
    EXPECT_EQ(second->GetDC(&dc), DD_OK);
    second->ReleaseDC(dc);
}

TEST_F(CallLog, RecordsOperationsAndObjectsInOrder)
{
    IDirectDrawSurface* surface = Offscreen(4, 4);
    test::StartRecording();
    HDC dc = nullptr;
    surface->GetDC(&dc);
    surface->ReleaseDC(dc);
    PostMessageA(window, WM_USER, 0, 0);
    surface->Release();
    dd->Release();
    const std::vector<test::RecordedCall> calls = test::StopRecording();
    std::vector<std::string> operations;
    for (const test::RecordedCall& call : calls)
        operations.push_back(call.operation);
    EXPECT_EQ(operations,
        (std::vector<std::string>{"GetDC", "ReleaseDC", "PostMessageA", "Release", "Release"}));
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].object, surface);
    EXPECT_EQ(calls[2].object, window);
    EXPECT_EQ(calls[3].object, surface);
    EXPECT_EQ(calls[4].object, dd);
}

}  // namespace
}  // namespace layertest
