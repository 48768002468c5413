// The message queue: posted messages in order, the quit message after them,
// WM_PAINT last, and messages to windows that are gone.
#include "layer_fixture.h"

#include <vector>

namespace layertest {
namespace {

struct Delivery {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Delivery> delivered;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    delivered.push_back({hwnd, message, wParam, lParam});
    if (message == WM_USER + 9)
        return 1234;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Messages : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer();
        delivered.clear();
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "RECORDING";
        ASSERT_NE(RegisterClassExA(&wc), 0);
    }
    void TearDown() override
    {
        test::ResetLayer();
    }

    static HWND Make(DWORD style)
    {
        return CreateWindowExA(0, "RECORDING", "", WS_POPUP | style, 0, 0, 100, 100, nullptr,
            nullptr, nullptr, nullptr);
    }

    static std::vector<UINT> Drain()
    {
        std::vector<UINT> order;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
            order.push_back(msg.message);
            if (msg.message == WM_PAINT) {
                DispatchMessageA(&msg);  // validates; otherwise it stays due
            }
        }
        return order;
    }
};

TEST_F(Messages, AnEmptyQueueAnswersAtOnce)
{
    MSG msg;
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
    ASSERT_NE(Make(0), nullptr);  // not visible: nothing to paint
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE), FALSE);
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
}

TEST_F(Messages, PostedInOrderThenQuitThenPaint)
{
    HWND hwnd = Make(WS_VISIBLE);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 1, 0, 0));
    PostQuitMessage(7);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 2, 0, 0));
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 3, 0, 0));
    EXPECT_EQ(test::PendingMessages(), 3);

    MSG msg;
    std::vector<UINT> order;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0 && msg.message != WM_QUIT)
        order.push_back(msg.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    ASSERT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(msg.hwnd, nullptr);

    // The window has been invalid all along; its paint comes last.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(msg.hwnd, hwnd);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT)) << "due until the window is validated";

    PAINTSTRUCT ps;
    ASSERT_NE(BeginPaint(hwnd, &ps), nullptr);
    EXPECT_EQ(ps.rcPaint.right, 100);
    EXPECT_EQ(ps.rcPaint.bottom, 100);
    EXPECT_TRUE(EndPaint(hwnd, &ps));
    EXPECT_FALSE(test::WindowIsInvalid(hwnd));
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
}

TEST_F(Messages, NoRemoveLeavesTheMessageWhereItIs)
{
    HWND hwnd = Make(0);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 5, 11, 22));
    PostQuitMessage(0);
    MSG msg;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
        EXPECT_EQ(msg.hwnd, hwnd);
        EXPECT_EQ(msg.wParam, 11u);
        EXPECT_EQ(msg.lParam, 22);
    }
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_USER + 5, WM_QUIT}));
}

TEST_F(Messages, DispatchCallsTheProcedureAndReturnsItsResult)
{
    HWND hwnd = Make(0);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 9, 3, 4));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&msg));
    delivered.clear();
    EXPECT_EQ(DispatchMessageA(&msg), 1234);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].hwnd, hwnd);
    EXPECT_EQ(delivered[0].wParam, 3u);
    EXPECT_EQ(delivered[0].lParam, 4);

    ASSERT_TRUE(DestroyWindow(hwnd));
    delivered.clear();
    EXPECT_EQ(DispatchMessageA(&msg), 0) << "to a window that is gone";
    EXPECT_TRUE(delivered.empty());
}

TEST_F(Messages, WindowsThatAreGoneGetNothing)
{
    HWND hwnd = Make(0);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 1, 0, 0));
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(test::PendingMessages(), 0) << "its waiting messages went with it";
    EXPECT_FALSE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(uintptr_t{0x1234}), WM_CLOSE, 0, 0));
    EXPECT_EQ(test::PendingMessages(), 0);
}

TEST_F(Messages, ANullWindowPostsToTheThreadItself)
{
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 4, 0, 0));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 4));
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_TRUE(delivered.empty());
}

TEST_F(Messages, TheDesktopsCloseRequestClosesTheMainWindow)
{
    HWND hwnd = Make(0);
    test::RequestDesktopClose();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, hwnd);
    delivered.clear();
    DispatchMessageA(&msg);
    EXPECT_FALSE(IsWindow(hwnd)) << "the default handling destroys the window";
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered[1].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), FALSE) << "asked once, closed once";
}

TEST_F(Messages, InvalidRegionsAddUpAndClip)
{
    HWND hwnd = Make(WS_VISIBLE);
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));

    RECT a = {10, 10, 20, 20};
    RECT b = {50, 5, 150, 15};
    ASSERT_TRUE(InvalidateRect(hwnd, &a, FALSE));
    ASSERT_TRUE(InvalidateRect(hwnd, &b, FALSE));
    ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
    EXPECT_EQ(update.left, 10);
    EXPECT_EQ(update.top, 5);
    EXPECT_EQ(update.right, 100) << "clipped to the window";
    EXPECT_EQ(update.bottom, 20);
    EXPECT_EQ(Drain(), std::vector<UINT>{WM_PAINT});
    EXPECT_FALSE(test::WindowIsInvalid(hwnd));
}

TEST_F(Messages, MalformedCallsAreRefused)
{
    MSG msg;
    HWND hwnd = Make(0);
    PostMessageA(hwnd, WM_USER, 0, 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, 7));
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("layer: PeekMessageA: "), 0u);
    EXPECT_EQ(test::PendingMessages(), 1);
}

}  // namespace
}  // namespace layertest
