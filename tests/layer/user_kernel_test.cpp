// USER and kernel on the layer: the messages sent during creation and
// destruction, and the module's resources.
#include "layer_fixture.h"

#include <string>
#include <vector>

namespace layertest {
namespace {

std::vector<UINT> seen;  // the messages the procedure got, each while its window lived
LRESULT createResult = 0;

LRESULT CALLBACK WatchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back(IsWindow(hwnd) ? message : 0);
    // The platform's CREATESTRUCTA: lpCreateParams comes first.
    if (message == WM_CREATE)
        return *reinterpret_cast<void**>(lParam) == &seen ? createResult : -1;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class User : public LayerTest { };

TEST_F(User, CreateAndDestroySendTheirMessagesDuringTheCall)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WatchingProc;
    for (const char* name : {"Watching_Class", "watching_CLASS"}) {
        wc.lpszClassName = name;
        testing::internal::CaptureStderr();
        EXPECT_EQ(RegisterClassExA(&wc) != 0, name[0] == 'W') << "class names ignore case";
        testing::internal::GetCapturedStderr();
    }
    const auto make = [](const char* className) {
        return CreateWindowExA(WS_EX_TOPMOST, className, "title", WS_POPUP | WS_VISIBLE, 0, 0, 100,
            100, nullptr, nullptr, nullptr, &seen);
    };
    DestroyWindow(window);
    HWND hwnd = make("WATCHING_CLASS");
    EXPECT_EQ(seen, std::vector<UINT>{WM_CREATE});
    EXPECT_TRUE(test::WindowIsInvalid(hwnd)) << "a visible window starts with a paint due";
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd)) << "only once";
    // WM_CLOSE's default handling destroys; others answer 0.
    hwnd = make("WATCHING_CLASS");
    EXPECT_EQ(DefWindowProcA(hwnd, WM_USER, 1, 2), 0);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd));
    // A WM_CREATE answer of -1 fails the creation; so does an unknown class.
    createResult = -1;
    EXPECT_EQ(make("WATCHING_CLASS"), nullptr);
    EXPECT_EQ(make("NO_SUCH_CLASS"), nullptr);
    EXPECT_EQ(seen,
        (std::vector<UINT>{WM_CREATE, WM_DESTROY, WM_CREATE, WM_DESTROY, WM_CREATE, WM_DESTROY}));
    EXPECT_EQ(test::LiveWindows(), 0);
}

std::vector<uint8_t> ResourceBytes(LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(GetModuleHandleA(nullptr), name, type);
    if (found == nullptr)
        return {};
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<uint8_t>(data, data + SizeofResource(nullptr, found));
}

TEST_F(User, ResourcesAreFoundByNameIgnoringCaseOrByIdUntilReset)
{
    test::RegisterResource("Test_Bitmap", RT_BITMAP, {1, 2, 3, 4, 5});
    test::RegisterResource(MAKEINTRESOURCE(101), RT_BITMAP, {9, 8});
    test::RegisterResource("NOTES", "TEXTFILE", {7});
    struct Row {
        LPCSTR name, type;
        std::vector<uint8_t> expected;  // empty: not found
    };
    for (const Row& row : {Row{"TEST_BITMAP", RT_BITMAP, {1, 2, 3, 4, 5}},
             {"test_bitmap", RT_BITMAP, {1, 2, 3, 4, 5}}, {"Test_Bitmap2", RT_BITMAP, {}},
             {"Test_Bitmap", MAKEINTRESOURCE(3), {}}, {MAKEINTRESOURCE(101), RT_BITMAP, {9, 8}},
             {"#101", RT_BITMAP, {9, 8}}, {"101", RT_BITMAP, {}},
             {MAKEINTRESOURCE(102), RT_BITMAP, {}}, {"notes", "TextFile", {7}},
             {nullptr, RT_BITMAP, {}}})
        EXPECT_EQ(ResourceBytes(row.name, row.type), row.expected)
            << (IS_INTRESOURCE(row.name) ? "a number" : row.name);
    testing::internal::CaptureStderr();
    EXPECT_EQ(
        FindResourceA(reinterpret_cast<HMODULE>(uintptr_t{0x7000}), "NOTES", "TEXTFILE"), nullptr)
        << "another module's";
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    test::RemoveResource("TEST_BITMAP", RT_BITMAP);
    EXPECT_EQ(ResourceBytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{});
    test::RegisterResource("test_bitmap", RT_BITMAP, {42});
    EXPECT_EQ(ResourceBytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{42});
    test::ResetLayer();
    EXPECT_EQ(ResourceBytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{})
        << "a test's resources end with the reset";
}

}  // namespace
}  // namespace layertest
