// The whole program through its entry on the headless backend: start-up,
// the loop, the roads that end it, and what is left afterwards.
#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/layer/testing/test_controls.h"
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

    // Runs WinMain with the platform calls recorded; step(frame) runs after
    // each flip, numbered from 1. A run still going after 200 frames is
    // ended by holding Escape.
    int Run(std::function<void(int)> step)
    {
        test::OnFlip([this, step] {
            step(++frames);
            if (frames >= 200)
                test::HoldKey(VK_ESCAPE);
        });
        test::StartRecording();
        const int exitCode
            = WinMain(GetModuleHandleA(NULL), NULL, const_cast<char*>(""), SW_SHOWDEFAULT);
        for (const test::RecordedCall& call : test::StopRecording())
            ops.push_back(call.operation);
        return exitCode;
    }
    size_t First(const std::string& op) const
    {
        return std::find(ops.begin(), ops.end(), op) - ops.begin();
    }
    void ExpectNothingLeftButWindows(int windows)
    {
        EXPECT_EQ(test::LiveSurfaces() + test::LiveDirectDrawObjects() + test::LiveGdiObjects(), 0);
        EXPECT_EQ(test::LiveWindows(), windows);
        EXPECT_EQ(test::CurrentDisplayMode().width, 1024) << "the desktop's mode is given back";
    }

    int frames = 0;
    std::vector<std::string> ops;
};

TEST_F(Program, StartsAtTheMapCornerAndAHeldArrowScrollsFourPixelsAFrame)
{
    std::vector<int32_t> rights;
    int wrongFrames = 0;
    bool legendAtTheCorner = false;
    const int exitCode = Run([&](int frame) {
        rights.push_back(viewRight);
        wrongFrames
            += reference::WrongFramePixels(test::VisibleFrame().values, viewRight, viewBottom) != 0;
        legendAtTheCorner
            = legendAtTheCorner || (frame == 1 && test::VisibleFrame().at(2, 2) == 0x001F);
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
    EXPECT_TRUE(legendAtTheCorner);
    EXPECT_TRUE(test::CursorHidden());
}

TEST_F(Program, EscapeEndsWithZeroAndReleasesOnceAfterTheWindowIsGone)
{
    const int exitCode = Run([](int frame) {
        if (frame == 3)
            test::HoldKey(VK_ESCAPE);
    });
    EXPECT_EQ(exitCode, 0);
    ExpectNothingLeftButWindows(0);
    // The window is made at the screen's size before the mode switch.
    EXPECT_LT(First("GetSystemMetrics"), First("CreateWindowExA"));
    EXPECT_LT(First("CreateWindowExA"), First("SetDisplayMode"));
    // The window's destruction posts the quit; the display goes after it:
    // primary, twelve tiles and the DirectDraw object, once each.
    const size_t quit = First("PostQuitMessage");
    const size_t lastFlip = ops.rend() - std::find(ops.rbegin(), ops.rend(), "Flip") - 1;
    EXPECT_LT(lastFlip, quit);
    EXPECT_LT(quit, First("Release"));
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "PostQuitMessage"), 1);
    EXPECT_EQ(std::count(ops.begin() + First("Release"), ops.end(), "Release"), 14);
}

TEST_F(Program, NoFrameRunsWhileMessagesWaitAndPaintLeavesTheWindowValid)
{
    int pendingAtNextFrame = -1;
    bool invalidAtFirstFrame = true, invalidAfterRepaint = true;
    Run([&](int frame) {
        if (frame == 1) {
            invalidAtFirstFrame = test::WindowIsInvalid(DisplayState.MainWindow);
            InvalidateRect(DisplayState.MainWindow, NULL, TRUE);
            for (int i = 0; i < 5; ++i)
                PostMessageA(DisplayState.MainWindow, WM_USER + i, 0, 0);
        }
        if (frame == 2) {
            pendingAtNextFrame = test::PendingMessages();
            invalidAfterRepaint = test::WindowIsInvalid(DisplayState.MainWindow);
            test::HoldKey(VK_ESCAPE);
        }
    });
    EXPECT_EQ(pendingAtNextFrame, 0);
    EXPECT_FALSE(invalidAtFirstFrame) << "the visible window's first paint comes before frames";
    EXPECT_FALSE(invalidAfterRepaint);
}

TEST_F(Program, FailedStartsEndWithZeroAndRunNoFrame)
{
    // A failing display setup destroys the window and loads no tile.
    test::FailCall("SetDisplayMode");
    EXPECT_EQ(Run([](int) {}), 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(First("LoadImageA"), ops.size()) << "no tile is loaded";
    EXPECT_LT(First("DestroyWindow"), ops.size());
    ExpectNothingLeftButWindows(0);

    // A missing tile ends the run through the quit message, before any frame,
    // with the window still there: it ends with the process.
    SetUp();
    ops.clear();
    test::RemoveResource("TILE7", RT_BITMAP);
    EXPECT_EQ(Run([](int) {}), 0);
    EXPECT_EQ(frames, 0);
    ExpectNothingLeftButWindows(1);
}

TEST_F(Program, DesktopCloseEndsTheRunLikeEscape)
{
    EXPECT_EQ(Run([](int frame) {
        if (frame == 2)
            test::RequestDesktopClose();
    }),
        0);
    EXPECT_LT(frames, 10);
    ExpectNothingLeftButWindows(0);
}

}  // namespace
