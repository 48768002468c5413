// Window classes and windows: the messages sent during creation and
// destruction, refusals, the cursor count, metrics, shared handles and keys.
#include "layer_fixture.h"

#include <string>
#include <vector>

namespace layertest {
namespace {

struct Seen {
    UINT message;
    HWND hwnd;
    bool aliveThen;
};

std::vector<Seen> seen;
LRESULT createResult = 0;

LRESULT CALLBACK WatchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back({message, hwnd, IsWindow(hwnd) != FALSE});
    if (message == WM_CREATE) {
        // The platform's CREATESTRUCTA: lpCreateParams comes first.
        EXPECT_NE(lParam, 0);
        EXPECT_EQ(*reinterpret_cast<void**>(lParam), reinterpret_cast<void*>(&seen));
        return createResult;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Windows : public testing::Test {
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

    static HWND Make(const char* className = "Watching_Class")
    {
        return CreateWindowExA(WS_EX_TOPMOST, className, "title", WS_POPUP | WS_VISIBLE, 0, 0, 320,
            200, nullptr, nullptr, nullptr, &seen);
    }
};

TEST_F(Windows, CreateSendsWmCreateDuringTheCall)
{
    HWND hwnd = Make("WATCHING_CLASS");  // class names ignore case
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(seen[0].hwnd, hwnd);
    EXPECT_TRUE(seen[0].aliveThen);
    EXPECT_EQ(test::LiveWindows(), 1);
    EXPECT_TRUE(test::WindowIsInvalid(hwnd)) << "a visible window starts with a paint due";
}

TEST_F(Windows, ACreateResultOfMinusOneFailsTheCreation)
{
    createResult = -1;
    EXPECT_EQ(Make(), nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(test::LiveWindows(), 0);
}

TEST_F(Windows, DestroySendsWmDestroyWhileTheWindowStillExists)
{
    HWND hwnd = Make();
    seen.clear();
    ASSERT_TRUE(DestroyWindow(hwnd));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_TRUE(seen[0].aliveThen);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd)) << "only once";
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(test::LiveWindows(), 0);
}

TEST_F(Windows, DefaultHandlingOfCloseDestroysAndOfOthersAnswersZero)
{
    HWND hwnd = Make();
    EXPECT_EQ(DefWindowProcA(hwnd, WM_USER, 1, 2), 0);
    EXPECT_TRUE(IsWindow(hwnd));
    seen.clear();
    EXPECT_EQ(DefWindowProcA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_DESTROY));
}

struct ClassRow {
    const char* name;
    void (*change)(WNDCLASSEXA&);
};

class RegisterClassRefusal : public Windows, public testing::WithParamInterface<ClassRow> { };

TEST_P(RegisterClassRefusal, GivesNoAtom)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WatchingProc;
    wc.lpszClassName = "ANOTHER";
    GetParam().change(wc);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    testing::internal::GetCapturedStderr();
}

INSTANTIATE_TEST_SUITE_P(Rows, RegisterClassRefusal,
    testing::Values(ClassRow{"WrongSize", [](WNDCLASSEXA& wc) { wc.cbSize = 44; }},
        ClassRow{"NoName", [](WNDCLASSEXA& wc) { wc.lpszClassName = nullptr; }},
        ClassRow{"NoProcedure", [](WNDCLASSEXA& wc) { wc.lpfnWndProc = nullptr; }},
        ClassRow{
            "SameNameOtherCase", [](WNDCLASSEXA& wc) { wc.lpszClassName = "watching_CLASS"; }}),
    [](const testing::TestParamInfo<ClassRow>& info) { return std::string(info.param.name); });

TEST_F(Windows, AnUnknownClassMakesNoWindow)
{
    EXPECT_EQ(Make("NO_SUCH_CLASS"), nullptr);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(test::LiveWindows(), 0);
}

TEST_F(Windows, ShowCursorKeepsACount)
{
    EXPECT_FALSE(test::CursorHidden());
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_TRUE(test::CursorHidden());
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_TRUE(test::CursorHidden()) << "hidden twice, shown once";
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_FALSE(test::CursorHidden());
}

TEST_F(Windows, SharedIconAndCursorForTheSystemsNamesOnly)
{
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), icon);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(1)), nullptr);
    EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), IDC_ARROW), nullptr);
}

TEST(Metrics, ScreenSizeIsTheDesktopsThenTheModes)
{
    test::ResetLayer(1280, 720);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 720);
    EXPECT_EQ(GetSystemMetrics(42), 0);
    HWND window = CreateTestWindow();
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
    dd->Release();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    test::ResetLayer();
}

TEST(Keyboard, HeldKeysShowInTheHighBit)
{
    test::ResetLayer();
    const int keys[] = {VK_ESCAPE, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
    for (int key : keys)
        EXPECT_EQ(GetAsyncKeyState(key), 0) << key;
    test::HoldKey(VK_UP);
    for (int key : keys)
        EXPECT_EQ((GetAsyncKeyState(key) & 0x8000) != 0, key == VK_UP) << key;
    test::HoldKey(VK_UP, false);
    EXPECT_EQ(GetAsyncKeyState(VK_UP), 0);
    test::HoldKey(VK_ESCAPE);
    test::HoldKey(VK_DOWN);
    test::ReleaseAllKeys();
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE) | GetAsyncKeyState(VK_DOWN), 0);
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    EXPECT_EQ(GetAsyncKeyState(4096), 0);
    test::ResetLayer();
}

}  // namespace
}  // namespace layertest
