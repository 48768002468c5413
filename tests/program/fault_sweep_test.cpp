// The whole program through WinMain with a fault at one of its calls (it
// fails, or something happens just before it). Every run must end with the
// row's exit code (a start that fails is not a normal end), every object given
// back in order and the desktop in its own mode; each row says what else must
// follow.
#include "display/display_state.h"
#include "mapview/view_position.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"
#include "tests/support/tile_reference.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace test = layer::test;

constexpr int DESKTOP_WIDTH = 1024, DESKTOP_HEIGHT = 768;

struct Outcome {
    int exitCode = -1, flips = 0, passes = 0;  // passes of the message loop
    bool hung = false;
    int displayObjects = 0, gdiObjects = 0, windows = 0;  // left at the end
    test::DisplayMode mode{};
    std::vector<test::RecordedCall> calls;
};

// arm() sets failures or hooks; onFlip(n) runs after the nth flip. Escape is
// held from the third flip or the twelfth loop pass on; a run still looping
// long after that is ended by force and counted as hung.
Outcome RunProgram(const std::function<void()>& arm, const std::function<void(int)>& onFlip)
{
    test::ResetLayer(DESKTOP_WIDTH, DESKTOP_HEIGHT);
    DisplayState = {};
    viewRight = 640;
    viewBottom = 480;
    // Taken before any failure is armed: the harness's own call counts for nothing.
    HINSTANCE instance = GetModuleHandleA(NULL);
    Outcome o;
    test::OnFlip([&o, &onFlip] {
        onFlip(++o.flips);
        if (o.flips >= 3)
            test::HoldKey(VK_ESCAPE);
    });
    test::OnCall("PeekMessageA", [&o] {
        if (++o.passes >= 12)
            test::HoldKey(VK_ESCAPE);
        if (o.passes == 2000) {
            o.hung = true;
            PostQuitMessage(0);
        }
    });
    arm();
    test::StartRecording();
    o.exitCode = WinMain(instance, NULL, const_cast<char*>(""), SW_SHOWDEFAULT);
    o.calls = test::StopRecording();
    o.displayObjects = test::LiveSurfaces() + test::LivePalettes() + test::LiveDirectDrawObjects();
    o.gdiObjects = test::LiveGdiObjects();
    o.windows = test::LiveWindows();
    o.mode = test::CurrentDisplayMode();
    test::ResetLayer();
    DisplayState = {};
    return o;
}

enum Then {
    ENDS,  // nothing more
    SHOWS_FRAMES,  // the tiles hold their pictures at the first flip, and every frame shows the map
    PICTURE_BACK,  // as SHOWS_FRAMES, from the first frame seen after the faulty flip
    FRAMES_UNSEEN,  // frames go on being made, but no Flip succeeds from the faulty one on
    NO_DISPLAY,  // the window is destroyed; no tile is loaded and no frame made
    NO_TILES,  // every tile is tried, then one quit ends the run; no frame after, the window stays
};

// What may happen just before the call: a tile surface (by index) or one of
// these is lost, the desktop asks the program to close, or the user switches
// to another program (which takes the display's mode) or back.
// The exit codes: a run that ended its own way, and a start or tile load that failed.
constexpr int ENDED = 0, FAILED = 1;

constexpr int PRIMARY = -1, DESKTOP_CLOSE = -3, AWAY = -4, BACK = -5;

struct Fault {
    const char* name;
    const char* call;
    int nth;  // which of its calls: 1 is the first
    int count;  // how many fail from there: -1 every one, 0 none
    const char* follows;  // the calls made right after it; "Name*n" n times, "." the end
    Then then;
    int exitCode;
    std::vector<int> events = {};
    std::tuple<const char*, int, int> alsoFailing = {};  // call, nth, count: beside the events
    const char* backAt = nullptr;  // the user switches back at each call of this
};

const Fault FAULTS[] = {
    // The window covers the screen as it was before the mode switch; the
    // greeting shows before the tiles load.
    {"StartUp", "RegisterClassExA", 1, 0,
        "GetSystemMetrics*2 CreateWindowExA ShowCursor DirectDrawCreate SetCooperativeLevel "
        "SetDisplayMode CreateSurface GetAttachedSurface CreateSurface*12 GetDC SetBkColor "
        "SetTextColor TextOutA ReleaseDC GetModuleHandleA LoadImageA",
        SHOWS_FRAMES, ENDED},
    // Escape's frame still runs to its flip; the display goes after the window.
    {"Escape", "PostMessageA", 1, 0,
        "GetAsyncKeyState*4 BltFast*80 GetDC SetBkColor SetTextColor TextOutA ReleaseDC Flip "
        "PeekMessageA TranslateMessage DispatchMessageA DefWindowProcA PostQuitMessage "
        "PeekMessageA Release*14 .",
        SHOWS_FRAMES, ENDED},
    // The quit cannot fail: a lost quit would leave the loop running.
    {"QuitCannotFail", "PostQuitMessage", 1, 1, "PeekMessageA Release*14 .", SHOWS_FRAMES, ENDED},
    {"DesktopClose", "Flip", 1, 0,
        "PeekMessageA TranslateMessage DispatchMessageA DefWindowProcA PostQuitMessage "
        "PeekMessageA Release*14 .",
        ENDS, ENDED, {DESKTOP_CLOSE}},
    // The window's first paint validates it, and a frame follows at once.
    {"FirstPaint", "BeginPaint", 1, 0, "EndPaint PeekMessageA GetAsyncKeyState", SHOWS_FRAMES,
        ENDED},
    {"NoWindowClass", "RegisterClassExA", 1, 1, ".", ENDS, FAILED},
    {"NoWindow", "CreateWindowExA", 1, 1, ".", ENDS, FAILED},
    {"NoDirectDraw", "DirectDrawCreate", 1, 1, "DestroyWindow PostQuitMessage .", NO_DISPLAY,
        FAILED},
    {"NoPrimary", "CreateSurface", 1, 1, "Release DestroyWindow PostQuitMessage .", NO_DISPLAY,
        FAILED},
    {"NoBackBuffer", "GetAttachedSurface", 1, 1, "Release*2 DestroyWindow PostQuitMessage .",
        NO_DISPLAY, FAILED},
    {"NoGreetingContext", "GetDC", 1, 1, "GetModuleHandleA LoadImageA", SHOWS_FRAMES, ENDED},
    {"NoFirstTile", "LoadImageA", 1, 1, "LoadImageA Restore", NO_TILES, FAILED},
    {"NoLastTileMemoryContext", "CreateCompatibleDC", 12, 1,
        "OutputDebugStringA DeleteObject PostQuitMessage PeekMessageA", NO_TILES, FAILED},
    {"NoTileContext", "GetDC", 2, 1, "DeleteDC DeleteObject LoadImageA", NO_TILES, FAILED},
    {"TileBitmapKept", "DeleteObject", 1, 1, "LoadImageA", SHOWS_FRAMES, ENDED},
    {"MemoryContextKept", "DeleteDC", 12, 1, "DeleteObject PeekMessageA", SHOWS_FRAMES, ENDED},
    // Paint messages go before frames: a window left invalid would get
    // nothing else, and no frame would see Escape.
    {"NoPaintContext", "BeginPaint", 1, -1, "ValidateRect PeekMessageA", SHOWS_FRAMES, ENDED},
    {"NoFlip", "Flip", 1, -1, "PeekMessageA", FRAMES_UNSEEN, ENDED},
    // A lost primary (switched away from) is restored at its flip, with the
    // tiles, and their pictures loaded again; the mode set again once the
    // window is in front, never behind another program; and a tile that
    // cannot be loaded again ends the run.
    {"PrimaryLost", "Flip", 2, 0, "Restore GetModuleHandleA LoadImageA Restore CreateCompatibleDC",
        PICTURE_BACK, ENDED, {PRIMARY, 0, 11}},
    {"ModeBack", "Flip", 2, 0, "Restore GetForegroundWindow SetDisplayMode Restore GetModuleHandleA",
        PICTURE_BACK, ENDED, {AWAY, BACK}},
    // While away, with nothing to draw on, the loop waits for a message (on
    // this backend none can come, and the wait says so and returns); the
    // user coming back paints the window, which ends the wait.
    {"StillAway", "Flip", 2, 0, "Restore GetForegroundWindow PeekMessageA WaitMessage PeekMessageA",
        FRAMES_UNSEEN, ENDED, {AWAY}},
    {"BackWhileWaiting", "Flip", 2, 0,
        "Restore GetForegroundWindow PeekMessageA WaitMessage PeekMessageA TranslateMessage "
        "DispatchMessageA BeginPaint EndPaint PeekMessageA GetAsyncKeyState*5 BltFast*80 GetDC Flip "
        "Restore GetForegroundWindow SetDisplayMode Restore GetModuleHandleA",
        PICTURE_BACK, ENDED, {AWAY}, {}, "WaitMessage"},
    {"ReloadFails", "Flip", 2, 0, "Restore GetModuleHandleA LoadImageA LoadImageA", NO_TILES,
        FAILED, {PRIMARY, 0, 11}, {"LoadImageA", 13, 1}},
    // Tiles lost without the primary: the flip does not tell, nothing looks,
    // and the frames after the loss draw nothing of the lost memory.
    {"TilesLost", "Flip", 2, 0, "", SHOWS_FRAMES, ENDED, {0, 11}},
    // ... but a tile surface lost while loading is restored before its copy.
    {"TileLostWhileLoading", "LoadImageA", 6, 0, "Restore CreateCompatibleDC", SHOWS_FRAMES, ENDED,
        {5}},
};

std::string Expand(const std::string& follows)
{
    std::istringstream words(follows);
    std::string text, word;
    while (words >> word) {
        const size_t star = word.find('*');
        for (int n = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1)); n > 0; --n)
            text += word.substr(0, star) + " ";
    }
    return text;
}

// Index in the record of the nth call of the operation, or the record's size.
size_t IndexOf(const std::vector<test::RecordedCall>& calls, const std::string& call, int nth)
{
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].operation == call && --nth == 0)
            return i;
    return calls.size();
}

long CountOf(const std::vector<test::RecordedCall>& calls, const std::string& call)
{
    return std::count_if(calls.begin(), calls.end(),
        [&call](const test::RecordedCall& c) { return c.operation == call; });
}

// Runs the program with the fault and returns everything wrong with the run.
std::string Problems(const Fault& f)
{
    bool tilesHeldPictures = false;
    int framesWrong = 0;
    int seen = 0;
    const Outcome o = RunProgram(
        [&f, &seen] {
            if (f.count != 0)
                test::FailCall(f.call, f.nth, f.count);
            if (auto [call, nth, count] = f.alsoFailing; call != nullptr)
                test::FailCall(call, nth, count);
            if (f.backAt != nullptr)
                test::OnCall(f.backAt, [] { test::SwitchAwayFromDisplay(false); });
            if (!f.events.empty())
                test::OnCall(f.call, [&f, &seen] {
                    for (int event : ++seen == f.nth ? f.events : std::vector<int>{}) {
                        if (event == DESKTOP_CLOSE)
                            test::RequestDesktopClose();
                        else if (event == AWAY || event == BACK)
                            test::SwitchAwayFromDisplay(event == AWAY);
                        else
                            test::MarkSurfaceLost(event == PRIMARY
                                    ? DisplayState.PrimarySurface
                                    : DisplayState.TileSurfaces[event]);
                    }
                });
        },
        [&](int flip) {
            // Every frame from the first one checked on, so that a fault
            // just before a later flip (tiles lost) is seen in what follows.
            const int first = f.then == PICTURE_BACK ? f.nth : 1;
            if (flip < first || (f.then != SHOWS_FRAMES && f.then != PICTURE_BACK))
                return;
            framesWrong += reference::WrongFramePixels(test::VisibleFrame().values, 640, 480);
            if (flip != first)
                return;
            tilesHeldPictures = true;
            for (int i = 0; i < TILE_COUNT; ++i)
                tilesHeldPictures = tilesHeldPictures
                    && test::ReadSurface(DisplayState.TileSurfaces[i]).values
                        == reference::AllTilePictures()[i];
        });

    std::string problems;
    auto expect
        = [&problems](bool ok, const std::string& what) { problems += ok ? "" : what + "; "; };
    const std::vector<test::RecordedCall>& calls = o.calls;
    const size_t at = IndexOf(calls, f.call, f.nth);
    const size_t quit = IndexOf(calls, "PostQuitMessage", 1);
    // The tile set's quit; the other comes from the window's end.
    const bool tileFailed = quit > 0 && quit < calls.size()
        && calls[quit - 1].operation != "DestroyWindow"
        && calls[quit - 1].operation != "DefWindowProcA";
    // What stays when a call that ends an object fails is that object; a
    // memory context that cannot be deleted still holds the tile's bitmap.
    const long failed = f.count == 0 ? 0
        : f.count < 0                ? std::max(0L, CountOf(calls, f.call) - f.nth + 1)
                                     : CountOf(calls, f.call) >= f.nth;
    const std::string call = f.call;
    const long gdiKept = failed * (call == "DeleteDC" ? 2 : call == "DeleteObject" ? 1 : 0);
    expect(at < calls.size(), call + " made fewer than " + std::to_string(f.nth) + " times");
    expect(!o.hung && o.exitCode == f.exitCode, "exit code " + std::to_string(o.exitCode));
    expect(o.displayObjects == 0 && o.gdiObjects == gdiKept,
        std::to_string(o.displayObjects + o.gdiObjects) + " objects left");
    expect(o.windows == (tileFailed ? 1 : 0), std::to_string(o.windows) + " windows left");
    expect(o.mode.width == DESKTOP_WIDTH && o.mode.height == DESKTOP_HEIGHT
            && o.mode.bitsPerPixel == 32,
        "display left at " + std::to_string(o.mode.width) + " x " + std::to_string(o.mode.height));
    // The primary first, as its back buffer ends with it; the DirectDraw
    // object last, as it gives the desktop's mode back; none twice.
    std::vector<const void*> released;
    for (const test::RecordedCall& c : calls)
        if (c.operation == "Release")
            released.push_back(c.object);
    auto objectOf = [&calls](const char* call) {
        const size_t i = IndexOf(calls, call, 1);
        return i < calls.size() ? calls[i].object : nullptr;
    };
    const void* primary = objectOf("GetAttachedSurface");
    const void* directDraw = objectOf("SetCooperativeLevel");
    expect((!primary || (!released.empty() && released.front() == primary))
            && (!directDraw || (!released.empty() && released.back() == directDraw))
            && std::set<const void*>(released.begin(), released.end()).size() == released.size(),
        "released out of order");

    const std::string expected = Expand(f.follows);
    std::string after;  // the operations after the faulty call, each followed by a space
    for (size_t i = at + 1; i < calls.size(); ++i)
        after += calls[i].operation + " ";
    if (expected.size() >= 2 && expected.substr(expected.size() - 2) == ". ")
        expect(after == expected.substr(0, expected.size() - 2), "followed by " + after);
    else
        expect(after.rfind(expected, 0) == 0, "followed by " + after.substr(0, 200));

    const long flipCalls = CountOf(calls, "Flip");
    switch (f.then) {
    case ENDS:
        break;
    case SHOWS_FRAMES:
    case PICTURE_BACK:
        expect(o.flips >= 3 && o.passes < 12, "Escape not reached by frames");
        expect(tilesHeldPictures, "a tile without its picture");
        expect(framesWrong == 0, std::to_string(framesWrong) + " pixels wrong");
        break;
    case FRAMES_UNSEEN:
        expect(o.flips == f.nth - 1 && flipCalls >= f.nth + 3,
            std::to_string(o.flips) + " of " + std::to_string(flipCalls) + " flips shown");
        expect(CountOf(calls, "LoadImageA") == 12, "tiles loaded again");
        break;
    case NO_DISPLAY:
        expect(flipCalls + CountOf(calls, "LoadImageA") + o.windows == 0, "went on");
        break;
    case NO_TILES:
        expect(CountOf({calls.begin() + std::min(quit, calls.size()), calls.end()}, "Flip") == 0
                && o.windows == 1 && tileFailed,
            "went on");
        expect(CountOf(calls, "LoadImageA") % 12 == 0 && CountOf(calls, "PostQuitMessage") == 1,
            "not every tile tried, or not one quit");
        break;
    }
    return problems;
}

// By name, not by its bytes, whose padding valgrind reports as uninitialised.
void PrintTo(const Fault& fault, std::ostream* out)
{
    *out << fault.name;
}

class FaultSweep : public testing::TestWithParam<Fault> { };

TEST_P(FaultSweep, RunEndsCleanAndAsTheRowSays)
{
    EXPECT_EQ(Problems(GetParam()), "");
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultSweep, testing::ValuesIn(FAULTS),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace
