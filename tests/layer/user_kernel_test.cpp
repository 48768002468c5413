// USER and kernel on the layer: the messages sent during creation and
// destruction, the queue's order (posted, then quit, then paint), messages
// to windows that are gone, the cursor count, metrics and keys; the module's
// resources and the debugger output.
#include "layer_fixture.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace layertest {
namespace {

struct Seen {
    UINT message;
    HWND hwnd;
    bool aliveThen;
    WPARAM wParam;
};
std::vector<Seen> seen;
LRESULT createResult = 0;

LRESULT CALLBACK WatchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back({message, hwnd, IsWindow(hwnd) != FALSE, wParam});
    if (message == WM_CREATE) {
        // The platform's CREATESTRUCTA: lpCreateParams comes first.
        EXPECT_EQ(*reinterpret_cast<void**>(lParam), reinterpret_cast<void*>(&seen));
        return createResult;
    }
    return message == WM_USER + 9 ? 1234 : DefWindowProcA(hwnd, message, wParam, lParam);
}

class User : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer();
        seen.clear();
        createResult = 0;
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WatchingProc;
        wc.lpszClassName = "Watching_Class";
        ASSERT_NE(RegisterClassExA(&wc), 0);
    }
    void TearDown() override
    {
        test::ResetLayer();
    }
    static HWND Make(DWORD style = WS_VISIBLE, const char* className = "WATCHING_CLASS")
    {
        return CreateWindowExA(WS_EX_TOPMOST, className, "title", WS_POPUP | style, 0, 0, 100, 100,
            nullptr, nullptr, nullptr, &seen);
    }
};

TEST_F(User, CreateAndDestroySendTheirMessagesDuringTheCall)
{
    HWND hwnd = Make();  // class names ignore case
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_CREATE));
    EXPECT_TRUE(seen[0].hwnd == hwnd && seen[0].aliveThen);
    EXPECT_TRUE(test::WindowIsInvalid(hwnd)) << "a visible window starts with a paint due";
    seen.clear();
    ASSERT_TRUE(DestroyWindow(hwnd));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_TRUE(seen[0].aliveThen);
    EXPECT_FALSE(DestroyWindow(hwnd)) << "only once";
    EXPECT_EQ(test::LiveWindows(), 0);

    // WM_CLOSE's default handling destroys; others answer 0.
    hwnd = Make();
    seen.clear();
    EXPECT_EQ(DefWindowProcA(hwnd, WM_USER, 1, 2), 0);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_DESTROY));

    // A WM_CREATE answer of -1 fails the creation; so does an unknown class.
    createResult = -1;
    seen.clear();
    EXPECT_EQ(Make(), nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(Make(WS_VISIBLE, "NO_SUCH_CLASS"), nullptr);
    EXPECT_EQ(test::LiveWindows(), 0);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WatchingProc;
    wc.lpszClassName = "watching_CLASS";
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "the same name in another case";
    testing::internal::GetCapturedStderr();
}

TEST_F(User, PostedMessagesComeInOrderThenTheQuitThenThePaint)
{
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "an empty queue answers at once";
    HWND hwnd = Make();
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 1, 11, 22));
    PostQuitMessage(7);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 2, 0, 0));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 0, 0));
    EXPECT_EQ(test::PendingMessages(), 3);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1)) << "left where it is";
    std::vector<UINT> order;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
        order.push_back(msg.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    ASSERT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    // The window has been invalid all along; its paint comes last, and stays
    // due until the window is validated.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
        EXPECT_EQ(msg.hwnd, hwnd);
    }
    PAINTSTRUCT ps;
    ASSERT_NE(BeginPaint(hwnd, &ps), nullptr);
    EXPECT_EQ(
        std::make_pair(ps.rcPaint.right, ps.rcPaint.bottom), std::make_pair(LONG{100}, LONG{100}));
    EXPECT_TRUE(EndPaint(hwnd, &ps));
    EXPECT_FALSE(test::WindowIsInvalid(hwnd));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(User, DispatchCallsTheProcedureAndWindowsThatAreGoneGetNothing)
{
    HWND hwnd = Make(0);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 9, 3, 4));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&msg));
    seen.clear();
    EXPECT_EQ(DispatchMessageA(&msg), 1234);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].hwnd == hwnd && seen[0].wParam == 3u);

    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 1, 0, 0));
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(test::PendingMessages(), 0) << "its waiting messages went with it";
    seen.clear();
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(uintptr_t{0x1234}), WM_CLOSE, 0, 0));
    EXPECT_EQ(test::PendingMessages(), 0);

    // The desktop's close request closes the main window, once.
    hwnd = Make(0);
    test::RequestDesktopClose();
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(msg.message == WM_CLOSE && msg.hwnd == hwnd);
    DispatchMessageA(&msg);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(User, CursorMetricsKeysAndSharedHandles)
{
    EXPECT_FALSE(test::CursorHidden());
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_TRUE(test::CursorHidden()) << "hidden twice, shown once";
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_FALSE(test::CursorHidden());

    const int keys[] = {VK_ESCAPE, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
    test::HoldKey(VK_UP);
    for (int key : keys)
        EXPECT_EQ((GetAsyncKeyState(key) & 0x8000) != 0, key == VK_UP) << key;
    test::HoldKey(VK_UP, false);
    test::HoldKey(VK_ESCAPE);
    test::HoldKey(VK_DOWN);
    test::ReleaseAllKeys();
    for (int key : {VK_UP, VK_ESCAPE, VK_DOWN, -1, 4096})
        EXPECT_EQ(GetAsyncKeyState(key), 0) << key;
}

TEST(Kernel, ResourcesAreFoundByNameIgnoringCaseOrByIdUntilReset)
{
    test::ResetLayer();
    test::RegisterResource("Test_Bitmap", RT_BITMAP, {1, 2, 3, 4, 5});
    test::RegisterResource(MAKEINTRESOURCE(101), RT_BITMAP, {9, 8});
    test::RegisterResource("NOTES", "TEXTFILE", {7});
    const auto bytes = [](LPCSTR name, LPCSTR type) -> std::vector<uint8_t> {
        HRSRC found = FindResourceA(GetModuleHandleA(nullptr), name, type);
        if (found == nullptr)
            return {};
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
        return std::vector<uint8_t>(data, data + SizeofResource(nullptr, found));
    };
    struct Row {
        LPCSTR name, type;
        std::vector<uint8_t> expected;  // empty: not found
    };
    const Row rows[] = {{"TEST_BITMAP", RT_BITMAP, {1, 2, 3, 4, 5}},
        {"test_bitmap", RT_BITMAP, {1, 2, 3, 4, 5}}, {"Test_Bitmap2", RT_BITMAP, {}},
        {"Test_Bitmap", MAKEINTRESOURCE(3), {}}, {MAKEINTRESOURCE(101), RT_BITMAP, {9, 8}},
        {"#101", RT_BITMAP, {9, 8}}, {"101", RT_BITMAP, {}}, {MAKEINTRESOURCE(102), RT_BITMAP, {}},
        {"notes", "TextFile", {7}}, {nullptr, RT_BITMAP, {}}};
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(bytes(rows[i].name, rows[i].type), rows[i].expected) << "row " << i;
    testing::internal::CaptureStderr();
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(uintptr_t{0x7000}), "TEST_BITMAP", RT_BITMAP),
        nullptr)
        << "another module's";
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    test::RemoveResource("TEST_BITMAP", RT_BITMAP);
    EXPECT_EQ(bytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{});
    test::RegisterResource("test_bitmap", RT_BITMAP, {42});
    EXPECT_EQ(bytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{42});
    test::ResetLayer();
    EXPECT_EQ(bytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{})
        << "a test's resources end with the reset";
}

TEST(Kernel, DebugOutputGoesToStandardErrorAndIsCaptured)
{
    test::ResetLayer();
    testing::internal::CaptureStderr();
    OutputDebugStringA("handle is null\n");
    OutputDebugStringA(nullptr);
    OutputDebugStringA("ddcopybitmap failed\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "handle is null\nddcopybitmap failed\n");
    EXPECT_EQ(test::TakeDebugOutput(), "handle is null\nddcopybitmap failed\n");
    EXPECT_EQ(test::TakeDebugOutput(), "");
    OutputDebugStringA("x\n");
    test::ResetLayer();
    EXPECT_EQ(test::TakeDebugOutput(), "");
}

}  // namespace
}  // namespace layertest
