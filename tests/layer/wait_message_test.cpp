// WaitMessage on the headless backend: it returns as soon as any message
// waits, one that the desktop sends during the wait included; where nothing
// can ever arrive it says so in one line and returns, rather than hang.
#include "tests/layer/layer_fixture.h"

#include <string>

namespace layertest {
namespace {

class WaitMessageTest : public LayerTest { };

TEST_F(WaitMessageTest, ReturnsForWhatWaitsAndRefusesWhenNothingCanCome)
{
    struct Row {
        const char* name;
        std::function<void(HWND)> before;  // runs at the call, before it looks
        UINT expected;  // the message then waiting; 0: none, the wait refused
    };
    const Row rows[] = {
        {"nothing", [](HWND) { }, 0},
        {"posted", [](HWND w) { PostMessageA(w, WM_USER, 0, 0); }, WM_USER},
        {"quit", [](HWND) { PostQuitMessage(3); }, WM_QUIT},
        {"desktop close", [](HWND) { test::RequestDesktopClose(); }, WM_CLOSE},
        {"back in front",
            [](HWND) {
                test::SwitchAwayFromDisplay(true);
                test::SwitchAwayFromDisplay(false);
            },
            WM_PAINT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LayerTest::SetUp();
        // The window's first paint is done, so only the row's message waits.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        test::OnCall("WaitMessage", [&] { row.before(window); });
        testing::internal::CaptureStderr();
        const BOOL waited = WaitMessage();
        const std::string line = testing::internal::GetCapturedStderr();
        MSG message{};
        const BOOL peeked = PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
        EXPECT_EQ(waited, row.expected != 0 ? TRUE : FALSE);
        EXPECT_EQ(peeked != FALSE ? message.message : 0u, row.expected);
        EXPECT_EQ(line, row.expected != 0
                ? ""
                : "layer: WaitMessage: no message can arrive: the backend sends none\n");
    }
}

}  // namespace
}  // namespace layertest
