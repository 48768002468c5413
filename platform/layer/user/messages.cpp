// The thread's message queue: posted messages, the quit message and WM_PAINT,
// in the platform's order, with the desktop's close request fed in.
#include "platform/layer/device/backend.h"
#include "platform/layer/calls/call_log.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/user/user_internal.h"

#include <chrono>
#include <deque>

namespace layer {
namespace {

// The platform's limit on a thread's posted messages.
constexpr size_t MAX_POSTED = 10000;

struct QueueState {
    std::deque<MSG> posted;
    bool quitPending = false;
    int quitCode = 0;
};

QueueState& State()
{
    static QueueState state;
    return state;
}

DWORD MessageTime()
{
    static const auto start = std::chrono::steady_clock::now();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start)
                                  .count());
}

bool Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    QueueState& state = State();
    if (state.posted.size() >= MAX_POSTED)
        return false;
    MSG message{};
    message.hwnd = hwnd;
    message.message = msg;
    message.wParam = wParam;
    message.lParam = lParam;
    message.time = MessageTime();
    state.posted.push_back(message);
    return true;
}

void TakeDesktopRequests()
{
    Backend* backend = RunningBackend();
    if (backend == nullptr || !backend->PumpEvents())
        return;
    if (HWND main = MainWindow())
        Post(main, WM_CLOSE, 0, 0);
}

// What PeekMessageA would return now.
bool MessageWaiting()
{
    const QueueState& state = State();
    return !state.posted.empty() || state.quitPending || WindowDuePaint() != nullptr;
}

}  // namespace

void DropMessagesFor(HWND hwnd)
{
    std::deque<MSG>& posted = State().posted;
    std::erase_if(posted, [hwnd](const MSG& message) { return message.hwnd == hwnd; });
}

int CountPostedMessages()
{
    return static_cast<int>(State().posted.size());
}

void ResetMessages()
{
    State() = QueueState{};
}

}  // namespace layer

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!layer::BeginCall("PostMessageA", hwnd))
        return FALSE;
    // A null window makes a message for the thread itself, as on the platform;
    // a window that does not exist (any more) gets nothing.
    if (hwnd != nullptr && !layer::WindowAlive(hwnd))
        return FALSE;
    return layer::Post(hwnd, msg, wParam, lParam) ? TRUE : FALSE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    // PostQuitMessage has no failure on the platform; the call is only
    // recorded. A quit that could be lost would leave a loop whose window is
    // gone running for ever.
    layer::BeginCall("PostQuitMessage");
    layer::State().quitPending = true;
    layer::State().quitCode = exitCode;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!layer::BeginCall("PeekMessageA"))
        return FALSE;
    if (msg == nullptr) {
        layer::Refuse("PeekMessageA", "needs a message record");
        return FALSE;
    }
    if (hwnd != nullptr || filterMin != 0 || filterMax != 0) {
        layer::Refuse("PeekMessageA", "window and message filters are not emulated");
        return FALSE;
    }
    if (removeMsg != PM_REMOVE && removeMsg != PM_NOREMOVE) {
        layer::Refuse("PeekMessageA", "only PM_REMOVE and PM_NOREMOVE are emulated");
        return FALSE;
    }
    layer::TakeDesktopRequests();

    layer::QueueState& state = layer::State();
    const bool remove = removeMsg == PM_REMOVE;
    if (!state.posted.empty()) {
        *msg = state.posted.front();
        if (remove)
            state.posted.pop_front();
        return TRUE;
    }
    // The quit message comes once no posted message is waiting.
    if (state.quitPending) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(state.quitCode);
        msg->time = layer::MessageTime();
        if (remove)
            state.quitPending = false;
        return TRUE;
    }
    // WM_PAINT stays due, removed or not, until the window is validated.
    if (HWND due = layer::WindowDuePaint()) {
        *msg = MSG{};
        msg->hwnd = due;
        msg->message = WM_PAINT;
        msg->time = layer::MessageTime();
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI WaitMessage(void)
{
    if (!layer::BeginCall("WaitMessage"))
        return FALSE;
    for (;;) {
        layer::TakeDesktopRequests();
        if (layer::MessageWaiting())
            return TRUE;
        layer::Backend* backend = layer::RunningBackend();
        if (backend == nullptr || !backend->WaitForEvents()) {
            layer::Refuse("WaitMessage", "no message can arrive: the backend sends none");
            return FALSE;
        }
    }
}

BOOL WINAPI TranslateMessage(const MSG* msg)
{
    if (!layer::BeginCall("TranslateMessage"))
        return FALSE;
    // No backend posts key messages, so there is never a character to make;
    // the platform answers non-zero for key messages all the same.
    if (msg == nullptr)
        return FALSE;
    return msg->message == WM_KEYDOWN || msg->message == WM_KEYUP ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (!layer::BeginCall("DispatchMessageA", msg != nullptr ? msg->hwnd : nullptr))
        return 0;
    // A thread message (null window) has no procedure to go to.
    if (msg == nullptr || msg->hwnd == nullptr)
        return 0;
    return layer::CallWindowProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
