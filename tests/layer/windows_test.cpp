// Windows, their classes and the message queue on the layer, by the
// platform's rules that the program's start, loop and end rely on. Where
// nothing can ever arrive, WaitMessage says so in one line rather than hang.
#include "tests/layer/layer_fixture.h"

#include <vector>

namespace layertest {
namespace {

std::vector<UINT> sent;  // what the noting procedure was sent
LRESULT createAnswer = 0;

LRESULT CALLBACK Noting(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    sent.push_back(msg);
    return msg == WM_CREATE ? createAnswer : static_cast<LRESULT>(wParam);
}

class Windows : public LayerTest {
protected:
    HWND Make(LPCSTR className, DWORD style)
    {
        return CreateWindowExA(
            0, className, "", style, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    }
    // What PeekMessageA takes from the queue now, or 0 for nothing.
    UINT Take(MSG& msg)
    {
        return PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) ? msg.message : 0;
    }
};

TEST_F(Windows, ClassesWindowsAndTheirMessagesLiveAndEndTogether)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Noting;
    wc.lpszClassName = "Noting";
    const ATOM atom = RegisterClassExA(&wc);
    wc.lpszClassName = "NOTING";
    EXPECT_TRUE(atom != 0 && RegisterClassExA(&wc) == 0) << "class names ignore case";
    EXPECT_EQ(Make("Unknown", WS_POPUP), nullptr);
    // A procedure refusing WM_CREATE: no window, and it was destroyed again.
    sent.clear(), createAnswer = -1;
    EXPECT_EQ(Make("noting", WS_POPUP), nullptr);
    EXPECT_EQ(sent, (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
    createAnswer = 0;
    const HWND hidden = Make(MAKEINTRESOURCE(atom), WS_POPUP), kept = Make("Noting", WS_POPUP);
    ASSERT_TRUE(hidden != nullptr && IsWindow(hidden) && kept != nullptr);
    EXPECT_EQ(test::LiveWindows(), 3);

    // Only a visible window is painted; the fixture's is, once.
    MSG msg{};
    EXPECT_TRUE(
        InvalidateRect(hidden, nullptr, FALSE) && Take(msg) == WM_PAINT && msg.hwnd == window);
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    const int contexts = test::LiveGdiObjects();
    BeginPaint(window, &paint);  // without its EndPaint: the first context ends
    EXPECT_EQ(test::LiveGdiObjects(), contexts);
    EXPECT_TRUE(EndPaint(window, &paint) && test::LiveGdiObjects() < contexts);
    EXPECT_EQ(Take(msg), 0u);
    // Coming to the front where it already is, or another program coming in
    // front, leaves nothing to paint; back in front, the window is painted.
    test::SwitchAwayFromDisplay(false);
    test::SwitchAwayFromDisplay(true);
    EXPECT_EQ(Take(msg), 0u);
    test::SwitchAwayFromDisplay(false);
    EXPECT_TRUE(Take(msg) == WM_PAINT && msg.hwnd == window && ValidateRect(window, nullptr));
    // Nothing waits and nothing can come: the wait says so rather than hang.
    // A close asked for meanwhile ends it.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WaitMessage());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "layer: WaitMessage: no message can arrive: the backend sends none\n");
    test::OnCall("WaitMessage", [] { test::RequestDesktopClose(); });
    EXPECT_TRUE(WaitMessage() && Take(msg) == WM_CLOSE && msg.hwnd == window && !msg.wParam);
    test::OnCall("WaitMessage", {});
    RECT update{1, 1, 1, 1};
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE) || GetUpdateRect(nullptr, &update, FALSE));
    EXPECT_EQ(update.right, 0);

    // A window's posted messages end with it; the others', the thread's and the quit stay.
    PostMessageA(hidden, WM_USER, 0, 0);
    PostMessageA(kept, WM_USER + 1, 7, 0);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    PostQuitMessage(3);
    sent.clear();
    EXPECT_TRUE(DestroyWindow(hidden));
    const MSG late{hidden, WM_USER, 5, 0, 0, {}};  // dispatched after its window ended
    EXPECT_FALSE(DestroyWindow(hidden) || IsWindow(hidden) || PostMessageA(hidden, WM_USER, 0, 0)
        || DispatchMessageA(&late));
    EXPECT_EQ(sent, std::vector<UINT>{WM_DESTROY});
    EXPECT_EQ(Take(msg), WM_USER + 1u);
    EXPECT_TRUE(TranslateMessage(&msg) == FALSE && DispatchMessageA(&msg) == 7);
    EXPECT_EQ(Take(msg), WM_USER + 2u);
    EXPECT_EQ(DispatchMessageA(&msg), 0) << "a thread message goes to no procedure";
    EXPECT_TRUE(WaitMessage() && Take(msg) == WM_QUIT && msg.wParam == 3 && Take(msg) == 0);
    msg.message = WM_KEYDOWN;
    EXPECT_TRUE(TranslateMessage(&msg) && !TranslateMessage(nullptr) && !DispatchMessageA(nullptr));
    // The default procedure paints a window by validating it, and ends one asked to close.
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_TRUE(DefWindowProcA(window, WM_PAINT, 0, 0) == 0 && Take(msg) == 0);
    EXPECT_TRUE(DefWindowProcA(kept, WM_CLOSE, 0, 0) == 0 && !IsWindow(kept));
}

// The screen's size follows the mode in force; the shared icon and arrow are
// had only from the system, by their own names.
TEST_F(Windows, MetricsIconAndCursorComeFromTheSystem)
{
    EXPECT_EQ(std::pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
        std::pair(1024, 768));
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN + 100), 0);
    const HINSTANCE module = GetModuleHandleA(nullptr);
    EXPECT_TRUE(LoadIconA(nullptr, IDI_APPLICATION) && LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_FALSE(LoadIconA(module, IDI_APPLICATION) || LoadCursorA(module, IDC_ARROW)
        || LoadIconA(nullptr, MAKEINTRESOURCE(32517))
        || LoadCursorA(nullptr, MAKEINTRESOURCE(32514)));
}

}  // namespace
}  // namespace layertest
