// The controls the other tests stand on: a reset leaves nothing of the run
// before it, and a saved frame reads back as the pixels it was given.
#include "tests/layer/layer_fixture.h"

#include <cstdio>
#include <filesystem>
#include <png.h>
#include <string>

namespace layertest {
namespace {

class TestControls : public DisplayTest { };

TEST_F(TestControls, ResetEndsEverythingTheRunBeforeLeft)
{
    Offscreen(4, 4);
    IDirectDrawPalette* palette = nullptr;
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(
        dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
    MemoryCanvas canvas(2, 2, {0, 0, 0, 0});
    PostMessageA(window, WM_USER, 0, 0);
    OutputDebugStringA("left over\n");
    test::HoldKey(VK_LEFT);
    test::FailCall("CreateWindowExA", 1, -1);
    int hooked = 0;
    test::OnCall("CreateWindowExA", [&hooked] { ++hooked; });
    int calls = 0;  // a hook's own calls run no hook
    test::OnCall("GetModuleHandleA", [&calls] { calls += GetModuleHandleA(nullptr) != nullptr; });
    GetModuleHandleA(nullptr);
    EXPECT_EQ(calls, 1);
    test::StartRecording();
    ShowCursor(FALSE);
    ASSERT_TRUE(test::LiveSurfaces() && test::LivePalettes() && test::LiveGdiObjects()
        && test::LiveWindows() && test::PendingMessages() && test::CursorHidden());

    test::ResetLayer(800, 600);
    EXPECT_EQ(test::LiveSurfaces() + test::LivePalettes() + test::LiveDirectDrawObjects()
            + test::LiveGdiObjects() + test::LiveWindows() + test::PendingMessages(),
        0);
    EXPECT_EQ(test::TakeDebugOutput(), "");
    EXPECT_FALSE(test::CursorHidden() || GetAsyncKeyState(VK_LEFT) || test::FlipCount());
    EXPECT_TRUE(test::RecordedCalls().empty());
    const test::DisplayMode mode = test::CurrentDisplayMode();
    EXPECT_EQ(std::tuple(mode.width, mode.height, mode.bitsPerPixel), std::tuple(800, 600, 32));
    // Classes, failures and hooks made before are gone.
    WNDCLASSEXA again{};
    again.cbSize = sizeof again, again.lpfnWndProc = DefWindowProcA;
    again.lpszClassName = "TEST_WINDOW_CLASS";
    EXPECT_NE(RegisterClassExA(&again), 0);
    EXPECT_NE(window = CreateTestWindow(), nullptr);
    GetModuleHandleA(nullptr);
    EXPECT_EQ(std::pair(hooked, calls), std::pair(0, 1));
    // Stock objects come back with the table: selecting one still works.
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(memory, GetStockObject(BLACK_BRUSH)), nullptr);
    DeleteDC(memory);
}

// Each 5-6-5 channel widened by repeating its top bits; a file that cannot
// be written is refused and leaves nothing behind.
TEST_F(TestControls, SavedFrameReadsBackAsItsPixels)
{
    const std::string path
        = (std::filesystem::temp_directory_path() / "tilescroll_saved.png").string();
    const test::Pixels pixels{3, 2, {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410}};
    ASSERT_TRUE(test::SavePng(pixels, path));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
    std::remove(path.c_str());
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(3u, 2u));
    EXPECT_EQ(rgb,
        (std::vector<png_byte>{
            255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 132, 130, 132}));
    const std::string nowhere = path + ".missing/saved.png";
    EXPECT_TRUE(test::SavePng({1, 1, {0x1234}}, path) && std::remove(path.c_str()) == 0);
    EXPECT_FALSE(test::SavePng(pixels, nowhere));
    EXPECT_FALSE(test::SavePng({3, 3, pixels.values}, path));
    EXPECT_FALSE(test::SavePng({0, 0, {}}, path));
    EXPECT_FALSE(std::filesystem::exists(path) || std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace layertest
