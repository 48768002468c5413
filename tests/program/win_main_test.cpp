// The whole program through its entry on the headless backend: start-up,
// the loop, the roads that end it, and what is left afterwards.
#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/layer/test_controls.h"
#include "platform/win32.h"
#include "support/tile_reference.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace test = layer::test;

namespace {

class Program : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer(1024, 768);
        DisplayState = {};
        viewRight = 640;
        viewBottom = 480;
        frames = 0;
    }
    void TearDown() override
    {
        test::ResetLayer();
    }

    // Runs WinMain; step(frame) runs after each flip, numbered from 1. A run
    // that has not ended after maxFrames is stopped by holding Escape.
    int Run(std::function<void(int)> step, int maxFrames = 200)
    {
        test::OnFlip([this, step, maxFrames] {
            ++frames;
            step(frames);
            if (frames >= maxFrames)
                test::HoldKey(VK_ESCAPE);
        });
        return WinMain(GetModuleHandleA(NULL), NULL, const_cast<char*>(""), SW_SHOWDEFAULT);
    }

    static std::vector<std::string> Operations(const std::vector<test::RecordedCall>& calls)
    {
        std::vector<std::string> names;
        for (const test::RecordedCall& call : calls)
            names.push_back(call.operation);
        return names;
    }
    static size_t IndexOf(const std::vector<std::string>& ops, const std::string& op)
    {
        return std::find(ops.begin(), ops.end(), op) - ops.begin();
    }
    static size_t LastIndexOf(const std::vector<std::string>& ops, const std::string& op)
    {
        auto found = std::find(ops.rbegin(), ops.rend(), op);
        return found == ops.rend() ? ops.size() : ops.rend() - found - 1;
    }

    void ExpectNothingLeftButTheWindow(int windows)
    {
        EXPECT_EQ(test::LiveSurfaces(), 0);
        EXPECT_EQ(test::LiveDirectDrawObjects(), 0);
        EXPECT_EQ(test::LiveGdiObjects(), 0);
        EXPECT_EQ(test::LiveWindows(), windows);
        EXPECT_EQ(test::CurrentDisplayMode().width, 1024) << "the desktop's mode is given back";
    }

    int frames = 0;
};

TEST_F(Program, HeldArrowScrollsFourPixelsAFrameAndTheFramesShowIt)
{
    std::vector<int32_t> rights;
    int wrongFrames = 0;
    const int exitCode = Run([&](int frame) {
        rights.push_back(viewRight);
        if (reference::WrongFramePixels(test::VisibleFrame().values, viewRight, viewBottom) != 0)
            ++wrongFrames;
        if (frame == 2)
            test::HoldKey(VK_RIGHT);
        if (frame == 12)
            test::HoldKey(VK_ESCAPE);
    });
    EXPECT_EQ(exitCode, 0);
    ASSERT_GE(rights.size(), 12u);
    EXPECT_EQ(rights[0], 640);
    EXPECT_EQ(rights[1], 640);
    for (size_t i = 2; i < 12; ++i)
        EXPECT_EQ(rights[i], rights[i - 1] + 4) << "frame " << i + 1;
    EXPECT_EQ(viewBottom, 480);
    EXPECT_EQ(wrongFrames, 0);
}

TEST_F(Program, StartViewShowsTheMapCornerWithTheLegend)
{
    test::Pixels first;
    Run([&](int frame) {
        if (frame == 1) {
            first = test::VisibleFrame();
            test::HoldKey(VK_ESCAPE);
        }
    });
    ASSERT_EQ(first.width, 640);
    EXPECT_EQ(reference::WrongFramePixels(first.values, 640, 480), 0);
    EXPECT_EQ(first.at(2, 2), 0x001F) << "legend's blue band at the corner";
    EXPECT_TRUE(test::CursorHidden());
}

TEST_F(Program, EscapeEndsWithZeroAndReleasesOnceAfterTheWindowIsGone)
{
    test::StartRecording();
    const int exitCode = Run([](int frame) {
        if (frame == 3)
            test::HoldKey(VK_ESCAPE);
    });
    std::vector<std::string> ops = Operations(test::StopRecording());
    EXPECT_EQ(exitCode, 0);
    ExpectNothingLeftButTheWindow(0);

    // The window's destruction posts the quit; the display goes after it.
    const size_t quit = IndexOf(ops, "PostQuitMessage");
    ASSERT_LT(quit, ops.size());
    const size_t lastFlip = LastIndexOf(ops, "Flip");
    const size_t firstRelease = IndexOf(ops, "Release");
    EXPECT_LT(lastFlip, quit);
    EXPECT_LT(quit, firstRelease);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "PostQuitMessage"), 1);
    // Primary, twelve tiles and the DirectDraw object, once each.
    EXPECT_EQ(std::count(ops.begin() + firstRelease, ops.end(), "Release"), 14);
}

TEST_F(Program, NoFrameRunsWhileMessagesWait)
{
    HWND window = NULL;
    int pendingAtNextFrame = -1;
    Run([&](int frame) {
        if (frame == 2) {
            window = DisplayState.MainWindow;
            for (int i = 0; i < 5; ++i)
                PostMessageA(window, WM_USER + i, 0, 0);
        }
        if (frame == 3) {
            pendingAtNextFrame = test::PendingMessages();
            test::HoldKey(VK_ESCAPE);
        }
    });
    EXPECT_EQ(pendingAtNextFrame, 0);
}

TEST_F(Program, PaintLeavesTheWindowValid)
{
    bool invalidAtFirstFrame = true;
    bool invalidAfterRepaint = true;
    Run([&](int frame) {
        if (frame == 1) {
            invalidAtFirstFrame = test::WindowIsInvalid(DisplayState.MainWindow);
            InvalidateRect(DisplayState.MainWindow, NULL, TRUE);
        }
        if (frame == 2) {
            invalidAfterRepaint = test::WindowIsInvalid(DisplayState.MainWindow);
            test::HoldKey(VK_ESCAPE);
        }
    });
    EXPECT_FALSE(invalidAtFirstFrame) << "the visible window's first paint comes before frames";
    EXPECT_FALSE(invalidAfterRepaint);
}

TEST_F(Program, WindowIsMadeAtTheScreensSizeBeforeTheModeSwitch)
{
    test::StartRecording();
    Run([](int) { test::HoldKey(VK_ESCAPE); });
    std::vector<std::string> ops = Operations(test::StopRecording());
    const size_t metrics = IndexOf(ops, "GetSystemMetrics");
    const size_t create = IndexOf(ops, "CreateWindowExA");
    const size_t mode = IndexOf(ops, "SetDisplayMode");
    EXPECT_LT(metrics, create);
    EXPECT_LT(create, mode);
    EXPECT_LT(mode, ops.size());
}

TEST_F(Program, FailedDisplaySetupDestroysTheWindowAndRunsNothing)
{
    test::FailCall("SetDisplayMode");
    test::StartRecording();
    const int exitCode = Run([](int) {});
    std::vector<std::string> ops = Operations(test::StopRecording());
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(test::FlipCount(), 0);
    EXPECT_EQ(IndexOf(ops, "LoadImageA"), ops.size()) << "no tile is loaded";
    EXPECT_LT(IndexOf(ops, "DestroyWindow"), ops.size());
    ExpectNothingLeftButTheWindow(0);
}

TEST_F(Program, FailedTileLoadEndsTheRunThroughTheQuitMessage)
{
    test::RemoveResource("TILE7", RT_BITMAP);
    const int exitCode = Run([](int) {});
    EXPECT_EQ(exitCode, 0);
    // The quit message goes before any frame, and the window is still there:
    // it ends with the process.
    EXPECT_EQ(frames, 0);
    ExpectNothingLeftButTheWindow(1);
}

TEST_F(Program, DesktopCloseEndsTheRunLikeEscape)
{
    const int exitCode = Run([](int frame) {
        if (frame == 2)
            test::RequestDesktopClose();
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_LT(frames, 10);
    ExpectNothingLeftButTheWindow(0);
}

}  // namespace
