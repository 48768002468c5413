// The whole program through WinMain with platform calls failing: every call
// that start-up and the first frames make is failed in turn, one per run, and
// then the calls that only the failure roads make. Also surfaces lost while
// the program runs. Every run must end (by itself, or on Escape) with exit
// code 0, give every object back and leave the desktop in its own mode.
#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"
#include "support/tile_reference.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace test = layer::test;

namespace {

constexpr int DESKTOP_WIDTH = 1024;
constexpr int DESKTOP_HEIGHT = 768;
// Escape is held once this many frames have reached the screen.
constexpr int ESCAPE_AT_FLIP = 3;
// A run whose flips keep failing never gets there, so Escape is also held
// from this pass of the message loop on.
constexpr int ESCAPE_AT_PASS = 12;
// A run still looping this long after Escape does not end on its own: it is
// ended by force and counted as hung.
constexpr int HUNG_AT_PASS = 2000;

struct Outcome {
    int exitCode = -1;
    int flips = 0;
    int passes = 0;
    bool hung = false;
    int surfaces = 0;
    int palettes = 0;
    int directDraws = 0;
    int gdiObjects = 0;
    int windows = 0;
    test::DisplayMode mode{};
    std::vector<test::RecordedCall> calls;
};

// Runs WinMain on a fresh layer with the calls recorded. arm() runs after the
// reset, to set failures or hooks; onFlip(n) after the nth flip.
Outcome RunProgram(
    const std::function<void()>& arm, const std::function<void(int)>& onFlip = nullptr)
{
    test::ResetLayer(DESKTOP_WIDTH, DESKTOP_HEIGHT);
    DisplayState = {};
    viewRight = 640;
    viewBottom = 480;
    // Taken before any failure is armed, so that the harness's own call
    // counts for nothing.
    HINSTANCE instance = GetModuleHandleA(NULL);

    Outcome outcome;
    test::OnFlip([&outcome, &onFlip] {
        ++outcome.flips;
        if (onFlip)
            onFlip(outcome.flips);
        if (outcome.flips >= ESCAPE_AT_FLIP)
            test::HoldKey(VK_ESCAPE);
    });
    test::OnCall("PeekMessageA", [&outcome] {
        ++outcome.passes;
        if (outcome.passes >= ESCAPE_AT_PASS)
            test::HoldKey(VK_ESCAPE);
        if (outcome.passes >= HUNG_AT_PASS && !outcome.hung) {
            outcome.hung = true;
            PostQuitMessage(0);
        }
    });
    arm();
    test::StartRecording();
    outcome.exitCode = WinMain(instance, NULL, const_cast<char*>(""), SW_SHOWDEFAULT);
    outcome.calls = test::StopRecording();

    outcome.surfaces = test::LiveSurfaces();
    outcome.palettes = test::LivePalettes();
    outcome.directDraws = test::LiveDirectDrawObjects();
    outcome.gdiObjects = test::LiveGdiObjects();
    outcome.windows = test::LiveWindows();
    outcome.mode = test::CurrentDisplayMode();
    test::ResetLayer();
    DisplayState = {};
    return outcome;
}

// A failed tile load posts its quit before the loop's first pass, with the
// window alive; the window then stays until the process ends, as the program
// leaves it. (A failed display setup's quit comes from the window's
// destruction instead.)
bool TileLoadFailed(const Outcome& outcome)
{
    for (const test::RecordedCall& call : outcome.calls) {
        if (call.operation == "PeekMessageA" || call.operation == "DestroyWindow")
            return false;
        if (call.operation == "PostQuitMessage")
            return true;
    }
    return false;
}

// What stays when a call that ends an object fails: that object, as it would
// on the platform. A memory DC that cannot be deleted still holds the tile's
// bitmap, which then cannot be deleted either.
int GdiObjectsKeptByTheFailure(const std::string& failed)
{
    if (failed == "DeleteDC")
        return 2;
    if (failed == "DeleteObject")
        return 1;
    return 0;
}

struct FailurePoint {
    std::string operation;
    int nth;  // 1 = the operation's first call in the run
    bool forGood = false;  // and every call of it after that one
};

std::string Describe(const std::vector<FailurePoint>& points)
{
    std::string text;
    for (const FailurePoint& point : points)
        text += (text.empty() ? "" : " + ") + point.operation + " #" + std::to_string(point.nth)
            + (point.forGood ? " on" : "");
    return text.empty() ? "no failure" : text;
}

// Everything wrong with how a run ended.
std::vector<std::string> Problems(const Outcome& outcome, const std::vector<FailurePoint>& failed)
{
    std::vector<std::string> problems;
    auto expect = [&problems](bool ok, const std::string& what) {
        if (!ok)
            problems.push_back(what);
    };
    int gdiKept = 0;
    bool windowMayStay = TileLoadFailed(outcome);
    for (const FailurePoint& point : failed) {
        const auto made = std::count_if(outcome.calls.begin(), outcome.calls.end(),
            [&point](const test::RecordedCall& call) { return call.operation == point.operation; });
        const auto failedCalls
            = point.forGood ? std::max<long>(0, made - point.nth + 1) : (made >= point.nth ? 1 : 0);
        gdiKept += GdiObjectsKeptByTheFailure(point.operation) * static_cast<int>(failedCalls);
        // The window whose destruction failed is still there.
        windowMayStay = windowMayStay || point.operation == "DestroyWindow";
    }
    expect(!outcome.hung, "does not end");
    expect(outcome.exitCode == 0, "exit code " + std::to_string(outcome.exitCode));
    expect(outcome.surfaces == 0, std::to_string(outcome.surfaces) + " surfaces left");
    expect(outcome.palettes == 0, std::to_string(outcome.palettes) + " palettes left");
    expect(
        outcome.directDraws == 0, std::to_string(outcome.directDraws) + " DirectDraw objects left");
    expect(outcome.gdiObjects == gdiKept, std::to_string(outcome.gdiObjects) + " GDI objects left");
    expect(outcome.windows == (windowMayStay ? 1 : 0),
        std::to_string(outcome.windows) + " windows left");
    expect(outcome.mode.width == DESKTOP_WIDTH && outcome.mode.height == DESKTOP_HEIGHT
            && outcome.mode.bitsPerPixel == 32,
        "display left at " + std::to_string(outcome.mode.width) + " x "
            + std::to_string(outcome.mode.height) + " x "
            + std::to_string(outcome.mode.bitsPerPixel));
    // The rule must have met its call, or the run proved nothing.
    for (const FailurePoint& point : failed) {
        const auto made = std::count_if(outcome.calls.begin(), outcome.calls.end(),
            [&point](const test::RecordedCall& call) { return call.operation == point.operation; });
        expect(
            made >= point.nth, point.operation + " made only " + std::to_string(made) + " times");
    }
    return problems;
}

Outcome RunFailing(const std::vector<FailurePoint>& points)
{
    return RunProgram([&points] {
        for (const FailurePoint& point : points)
            test::FailCall(point.operation.c_str(), point.nth, point.forGood ? -1 : 1);
    });
}

// Every call of a record, as (operation, occurrence).
std::vector<FailurePoint> PointsOf(const std::vector<test::RecordedCall>& calls)
{
    std::map<std::string, int> seen;
    std::vector<FailurePoint> points;
    for (const test::RecordedCall& call : calls)
        points.push_back({call.operation, ++seen[call.operation]});
    return points;
}

struct SweptRun {
    FailurePoint point;
    Outcome outcome;
};

class FaultSweep : public testing::Test {
protected:
    // The clean run and one run per call it makes, shared by the tests.
    static void SetUpTestSuite()
    {
        base_ = RunProgram([] {});
        for (const FailurePoint& point : PointsOf(base_.calls))
            runs_.push_back({point, RunFailing({point})});
    }
    static void TearDownTestSuite()
    {
        runs_.clear();
        base_ = {};
    }

    static Outcome base_;
    static std::vector<SweptRun> runs_;
};

Outcome FaultSweep::base_;
std::vector<SweptRun> FaultSweep::runs_;

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

TEST_F(FaultSweep, CleanRunShowsFramesAndEndsOnEscape)
{
    EXPECT_EQ(Join(Problems(base_, {})), "");
    EXPECT_GE(base_.flips, ESCAPE_AT_FLIP);
    EXPECT_LT(base_.passes, ESCAPE_AT_PASS) << "ends on the flip-driven Escape";
}

TEST_F(FaultSweep, EveryCallOfStartUpAndTheFirstFramesMayFail)
{
    std::vector<std::string> failures;
    std::set<std::string> operations;
    for (const SweptRun& run : runs_) {
        operations.insert(run.point.operation);
        for (const std::string& problem : Problems(run.outcome, {run.point}))
            failures.push_back(Describe({run.point}) + ": " + problem);
    }
    std::ostringstream summary;
    summary << runs_.size() << " failure points in " << operations.size() << " operations";
    RecordProperty("failure_points", static_cast<int>(runs_.size()));
    std::cout << "[ sweep    ] " << summary.str() << "\n";
    EXPECT_GT(runs_.size(), 300u) << summary.str();
    EXPECT_EQ(Join(failures), "");
}

// A failure that makes a setup step or a tile fail must take the short
// roads: no frame after a failed display setup, none after a failed tile.
TEST_F(FaultSweep, FailedSetupOrTileLoadRunsNoFrame)
{
    int shortRoads = 0;
    for (const SweptRun& run : runs_) {
        const bool setupFailed = std::any_of(run.outcome.calls.begin(), run.outcome.calls.end(),
            [](const test::RecordedCall& call) { return call.operation == "DestroyWindow"; });
        const bool tileFailed = TileLoadFailed(run.outcome);
        if (!setupFailed && !tileFailed)
            continue;
        ++shortRoads;
        EXPECT_EQ(run.outcome.flips, 0) << Describe({run.point});
        EXPECT_NE(setupFailed, tileFailed) << Describe({run.point});
        EXPECT_EQ(run.outcome.windows, setupFailed ? 0 : 1) << Describe({run.point});
    }
    // The DirectDraw steps, and every tile's load and copy.
    EXPECT_GT(shortRoads, 12 * 4);
}

// Calls that only the failure roads make (destroying the window after a
// failed setup, the diagnostics of a failed copy) fail in their turn, on top
// of the failure that led there.
TEST_F(FaultSweep, CallsOfTheFailureRoadsMayFailToo)
{
    std::set<std::string> inCleanRun;
    for (const test::RecordedCall& call : base_.calls)
        inCleanRun.insert(call.operation);

    int swept = 0;
    std::vector<std::string> failures;
    for (const SweptRun& run : runs_) {
        for (const FailurePoint& second : PointsOf(run.outcome.calls)) {
            if (inCleanRun.count(second.operation) != 0)
                continue;
            const std::vector<FailurePoint> points = {run.point, second};
            ++swept;
            for (const std::string& problem : Problems(RunFailing(points), points))
                failures.push_back(Describe(points) + ": " + problem);
        }
    }
    RecordProperty("failure_road_points", swept);
    std::cout << "[ sweep    ] " << swept << " failure points on the failure roads\n";
    EXPECT_GT(swept, 0);
    EXPECT_EQ(Join(failures), "");
}

// A call that breaks for good, from its first use on, or from the message
// loop's start on (a device that stops presenting, a context that can no
// longer be had): the program still ends on Escape and gives everything
// back. Not the calls that bring in input and messages: with any of those
// gone for good, no program could see Escape or its own quit.
TEST_F(FaultSweep, EveryCallBrokenForGoodFromItsFirstUseOrTheLoopOn)
{
    const std::set<std::string> carryInput = {
        "PeekMessageA", "DispatchMessageA", "DefWindowProcA", "PostMessageA", "GetAsyncKeyState"};
    std::map<std::string, int> first, firstInLoop;
    std::map<std::string, int> seen;
    bool inLoop = false;
    for (const test::RecordedCall& call : base_.calls) {
        inLoop = inLoop || call.operation == "PeekMessageA";
        const int nth = ++seen[call.operation];
        first.emplace(call.operation, nth);
        if (inLoop)
            firstInLoop.emplace(call.operation, nth);
    }

    std::vector<FailurePoint> points;
    for (const auto& starts : {first, firstInLoop})
        for (const auto& [operation, nth] : starts)
            if (carryInput.count(operation) == 0)
                points.push_back({operation, nth, true});

    std::vector<std::string> failures;
    for (const FailurePoint& point : points)
        for (const std::string& problem : Problems(RunFailing({point}), {point}))
            failures.push_back(Describe({point}) + ": " + problem);
    RecordProperty("broken_for_good_points", static_cast<int>(points.size()));
    std::cout << "[ sweep    ] " << points.size() << " calls broken for good\n";
    EXPECT_GT(points.size(), 40u);
    EXPECT_EQ(Join(failures), "");
}

// A paint that cannot begin must still validate the window: paint messages
// go before frames, so a window left invalid would get nothing but WM_PAINT
// from then on, and no frame would ever see Escape.
TEST(PaintWithoutAContext, WindowIsValidatedAndFramesRunOnToEscape)
{
    const Outcome outcome = RunProgram([] { test::FailCall("BeginPaint", 1, -1); });
    EXPECT_EQ(Join(Problems(outcome, {{"BeginPaint", 1, true}})), "");
    EXPECT_GE(outcome.flips, ESCAPE_AT_FLIP);
    EXPECT_LT(outcome.passes, ESCAPE_AT_PASS) << "frames were not held up by paint messages";
    std::vector<std::string> paintCalls;
    for (const test::RecordedCall& call : outcome.calls)
        if (call.operation == "BeginPaint" || call.operation == "EndPaint"
            || call.operation == "ValidateRect")
            paintCalls.push_back(call.operation);
    EXPECT_EQ(paintCalls, (std::vector<std::string>{"BeginPaint", "ValidateRect"}))
        << "no EndPaint with a record BeginPaint did not fill";
}

// ---- Surfaces lost while the program runs ----------------------------------

IDirectDrawSurface* Primary()
{
    return DisplayState.PrimarySurface;
}

IDirectDrawSurface* Back()
{
    return DisplayState.BackBuffer;
}

struct LossCase {
    const char* name;
    std::vector<IDirectDrawSurface* (*)()> surfaces;
    bool chain;  // the flipping chain is lost: no frame reaches the screen again
};

void PrintTo(const LossCase& loss, std::ostream* out)
{
    *out << loss.name;
}

IDirectDrawSurface* Grass()
{
    return DisplayState.TileSurfaces[0];
}

IDirectDrawSurface* House()
{
    return DisplayState.TileSurfaces[11];
}

class LostSurfaces : public testing::TestWithParam<LossCase> { };

// Lost at the first flip. The program neither looks for lost surfaces nor
// restores them, so it must run on through the failing calls to Escape.
TEST_P(LostSurfaces, ProgramRunsOnToEscapeAndEndsClean)
{
    const LossCase& loss = GetParam();
    size_t lostAt = 0;
    const Outcome outcome = RunProgram([] {},
        [&](int flip) {
            if (flip != 1)
                return;
            for (auto surface : loss.surfaces)
                test::MarkSurfaceLost(surface());
            lostAt = test::RecordedCalls().size();
        });
    EXPECT_EQ(Join(Problems(outcome, {})), "");
    ASSERT_GT(lostAt, 0u);

    const auto framesAfter
        = std::count_if(outcome.calls.begin() + static_cast<long>(lostAt), outcome.calls.end(),
            [](const test::RecordedCall& call) { return call.operation == "Flip"; });
    EXPECT_GE(framesAfter, ESCAPE_AT_FLIP) << "frames go on being made";
    if (loss.chain)
        EXPECT_EQ(outcome.flips, 1) << "nothing restores the chain";
    else
        EXPECT_GT(outcome.flips, ESCAPE_AT_FLIP - 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, LostSurfaces,
    testing::Values(LossCase{"Primary", {Primary}, true}, LossCase{"BackBuffer", {Back}, true},
        LossCase{"GrassTile", {Grass}, false}, LossCase{"HouseTile", {House}, false},
        LossCase{"ChainAndTiles", {Primary, Grass, House}, true}),
    [](const testing::TestParamInfo<LossCase>& info) { return info.param.name; });

// A tile surface lost while its picture is being loaded is restored before
// the picture is drawn into it: the run goes on as if nothing happened.
TEST(LostSurfacesAtLoading, TileLostWhileLoadingIsRestoredAndShowsItsPicture)
{
    for (int tile : {0, 5, 11}) {
        SCOPED_TRACE("tile " + std::to_string(tile));
        int loads = 0;
        bool showsPicture = false;
        const Outcome outcome = RunProgram(
            [&] {
                test::OnCall("LoadImageA", [&] {
                    if (++loads == tile + 1)
                        test::MarkSurfaceLost(DisplayState.TileSurfaces[tile]);
                });
            },
            [&](int flip) {
                if (flip == 1)
                    showsPicture = test::ReadSurface(DisplayState.TileSurfaces[tile]).values
                        == reference::AllTilePictures()[tile];
            });
        EXPECT_EQ(Join(Problems(outcome, {})), "");
        EXPECT_FALSE(TileLoadFailed(outcome)) << "the tile loaded";
        EXPECT_GE(outcome.flips, ESCAPE_AT_FLIP);
        EXPECT_TRUE(showsPicture);
    }
}

}  // namespace
