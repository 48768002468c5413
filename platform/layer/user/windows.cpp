// USER windows: classes, windows and their procedures, painting, the cursor,
// the screen metrics and the system's shared icon and cursor.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/device/backend.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/user/user_internal.h"

#include <algorithm>
#include <map>
#include <string>
#include <strings.h>
#include <vector>

namespace layer {
namespace {

struct WindowClass {
    ATOM atom;
    std::string name;
    WNDPROC proc;
};

struct Window {
    WNDPROC proc;
    int width;
    int height;
    bool visible = false;
    bool invalid = false;
    RECT update{};
    bool ending = false;
    // Between BeginPaint and EndPaint. There is no window surface to draw on
    // in exclusive full-screen use, so the context draws into one pixel.
    HDC paintDc = nullptr;
    uint16_t paintPixel = 0;
};

// The record that WM_CREATE's lParam points to, laid out as the platform's
// CREATESTRUCTA.
struct CreateParams {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

struct UserState {
    std::vector<WindowClass> classes;
    // Keyed by handle value; handles grow and are never reused, so the map's
    // order is the order of making and a stale handle stays dead.
    std::map<uintptr_t, Window> windows;
    uintptr_t nextHandle = 0x10010;
    int cursorCount = 0;
    HWND displayWindow = nullptr;
    bool foregroundElsewhere = false;  // another program's window is in front
};

UserState& State()
{
    static UserState state;
    return state;
}

constexpr ATOM FIRST_CLASS_ATOM = 0xC000;
// The system's shared application icon and arrow cursor.
const HICON APPLICATION_ICON = reinterpret_cast<HICON>(uintptr_t{0x10005});
const HCURSOR ARROW_CURSOR = reinterpret_cast<HCURSOR>(uintptr_t{0x10009});

Window* Find(HWND hwnd)
{
    auto it = State().windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == State().windows.end() ? nullptr : &it->second;
}

const WindowClass* FindClass(LPCSTR name)
{
    for (const WindowClass& wc : State().classes) {
        if (IS_INTRESOURCE(name) ? wc.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                                 : strcasecmp(wc.name.c_str(), name) == 0)
            return &wc;
    }
    return nullptr;
}

void EndPaintContext(Window& window)
{
    if (window.paintDc != nullptr)
        DestroySurfaceDC(window.paintDc);
    window.paintDc = nullptr;
}

void Validate(Window& window)
{
    window.invalid = false;
    window.update = {};
}

void Invalidate(Window& window, const RECT* rect)
{
    RECT area = {0, 0, window.width, window.height};
    if (rect != nullptr) {
        area.left = std::max(area.left, rect->left);
        area.top = std::max(area.top, rect->top);
        area.right = std::min(area.right, rect->right);
        area.bottom = std::min(area.bottom, rect->bottom);
    }
    if (area.left >= area.right || area.top >= area.bottom)
        return;
    // The update region is kept as its bounding rectangle.
    if (window.invalid) {
        area.left = std::min(area.left, window.update.left);
        area.top = std::min(area.top, window.update.top);
        area.right = std::max(area.right, window.update.right);
        area.bottom = std::max(area.bottom, window.update.bottom);
    }
    window.invalid = true;
    window.update = area;
}

}  // namespace

bool WindowAlive(HWND hwnd)
{
    return hwnd != nullptr && Find(hwnd) != nullptr;
}

LRESULT CallWindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const Window* window = Find(hwnd);
    if (window == nullptr || window->proc == nullptr)
        return 0;
    return window->proc(hwnd, msg, wParam, lParam);
}

bool EndWindow(HWND hwnd)
{
    Window* window = Find(hwnd);
    if (window == nullptr || window->ending)
        return false;
    window->ending = true;
    CallWindowProcedure(hwnd, WM_DESTROY, 0, 0);
    // The procedure may have done anything meanwhile; look the window up again.
    if (Window* ended = Find(hwnd)) {
        EndPaintContext(*ended);
        State().windows.erase(reinterpret_cast<uintptr_t>(hwnd));
    }
    DropMessagesFor(hwnd);
    return true;
}

HWND WindowDuePaint()
{
    for (auto& [handle, window] : State().windows) {
        if (window.visible && window.invalid && !window.ending)
            return reinterpret_cast<HWND>(handle);
    }
    return nullptr;
}

void SetDisplayWindow(HWND hwnd)
{
    State().displayWindow = hwnd;
}

HWND MainWindow()
{
    if (WindowAlive(State().displayWindow))
        return State().displayWindow;
    for (auto& [handle, window] : State().windows) {
        if (!window.ending)
            return reinterpret_cast<HWND>(handle);
    }
    return nullptr;
}

int CountLiveWindows()
{
    return static_cast<int>(State().windows.size());
}

bool CursorCountHidden()
{
    return State().cursorCount < 0;
}

void ResetWindows()
{
    UserState& state = State();
    for (auto& [handle, window] : state.windows)
        EndPaintContext(window);
    state.windows.clear();
    state.classes.clear();
    state.cursorCount = 0;
    state.displayWindow = nullptr;
    state.foregroundElsewhere = false;
}

void SetForegroundElsewhere(bool elsewhere)
{
    // A window brought back in front is painted again: its WM_PAINT is what
    // tells a program waiting for messages that it is back.
    if (State().foregroundElsewhere && !elsewhere)
        if (Window* main = Find(MainWindow()))
            Invalidate(*main, nullptr);
    State().foregroundElsewhere = elsewhere;
}

}  // namespace layer

using layer::Find;
using layer::State;

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (!layer::BeginCall("RegisterClassExA"))
        return 0;
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA) || wc->lpfnWndProc == nullptr
        || wc->lpszClassName == nullptr || IS_INTRESOURCE(wc->lpszClassName)
        || wc->lpszClassName[0] == '\0') {
        layer::Refuse("RegisterClassExA",
            "needs cbSize = sizeof(WNDCLASSEXA), a window procedure and a class name");
        return 0;
    }
    if (layer::FindClass(wc->lpszClassName) != nullptr)
        return 0;  // the class exists already
    const ATOM atom = static_cast<ATOM>(layer::FIRST_CLASS_ATOM + State().classes.size());
    State().classes.push_back({atom, wc->lpszClassName, wc->lpfnWndProc});
    return atom;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
    int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    if (!layer::BeginCall("CreateWindowExA"))
        return nullptr;
    if (className == nullptr)
        return nullptr;
    const layer::WindowClass* wc = layer::FindClass(className);
    if (wc == nullptr)
        return nullptr;

    layer::UserState& state = State();
    const uintptr_t handle = state.nextHandle;
    state.nextHandle += 0x10;
    const HWND hwnd = reinterpret_cast<HWND>(handle);
    layer::Window window{};
    window.proc = wc->proc;
    window.width = std::max(width, 0);
    window.height = std::max(height, 0);
    state.windows.emplace(handle, window);

    layer::CreateParams params{param, instance, menu, parent, height, width, y, x,
        static_cast<LONG>(style), windowName, className, exStyle};
    const LRESULT created
        = layer::CallWindowProcedure(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&params));
    if (created == -1) {
        // The procedure refused: the window is destroyed again, as on the platform.
        layer::EndWindow(hwnd);
        return nullptr;
    }
    layer::Window* made = Find(hwnd);
    if (made == nullptr)
        return nullptr;  // destroyed during its own WM_CREATE
    if ((style & WS_VISIBLE) != 0) {
        // A window that shows has everything to paint.
        made->visible = true;
        layer::Invalidate(*made, nullptr);
    }
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd)
{
    if (!layer::BeginCall("DestroyWindow", hwnd))
        return FALSE;
    return layer::EndWindow(hwnd) ? TRUE : FALSE;
}

// This process's windows are the desktop's only ones: the one in front is the
// main window, unless another program was brought in front of it.
HWND WINAPI GetForegroundWindow(void)
{
    if (!layer::BeginCall("GetForegroundWindow"))
        return nullptr;
    return State().foregroundElsewhere ? nullptr : layer::MainWindow();
}

BOOL WINAPI IsWindow(HWND hwnd)
{
    if (!layer::BeginCall("IsWindow", hwnd))
        return FALSE;
    return layer::WindowAlive(hwnd) ? TRUE : FALSE;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (!layer::BeginCall("DefWindowProcA", hwnd))
        return 0;
    switch (msg) {
    case WM_CLOSE:
        layer::EndWindow(hwnd);
        return 0;
    case WM_PAINT:
        if (layer::Window* window = Find(hwnd))
            layer::Validate(*window);
        return 0;
    default:
        return 0;
    }
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    if (!layer::BeginCall("BeginPaint", hwnd))
        return nullptr;
    layer::Window* window = Find(hwnd);
    if (window == nullptr || ps == nullptr)
        return nullptr;
    layer::EndPaintContext(*window);  // a BeginPaint without its EndPaint
    window->paintDc = layer::CreateSurfaceDC(&window->paintPixel, 1, 1, sizeof(uint16_t));
    *ps = PAINTSTRUCT{};
    ps->hdc = window->paintDc;
    ps->fErase = FALSE;
    ps->rcPaint = window->update;
    layer::Validate(*window);
    return ps->hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!layer::BeginCall("EndPaint", hwnd))
        return FALSE;
    if (ps == nullptr)
        return FALSE;
    layer::Window* window = Find(hwnd);
    if (window != nullptr && window->paintDc != nullptr && window->paintDc == ps->hdc)
        layer::EndPaintContext(*window);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL /*erase*/)
{
    if (!layer::BeginCall("InvalidateRect", hwnd))
        return FALSE;
    if (hwnd == nullptr) {
        // The platform repaints every window then.
        for (auto& [handle, window] : State().windows)
            layer::Invalidate(window, nullptr);
        return TRUE;
    }
    layer::Window* window = Find(hwnd);
    if (window == nullptr)
        return FALSE;
    layer::Invalidate(*window, rect);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect)
{
    if (!layer::BeginCall("ValidateRect", hwnd))
        return FALSE;
    // The update region is kept as one rectangle, which cannot lose a part.
    if (rect != nullptr) {
        layer::Refuse("ValidateRect", "only the whole window (a null rectangle) is emulated");
        return FALSE;
    }
    layer::Window* window = Find(hwnd);
    if (window == nullptr)
        return FALSE;
    layer::Validate(*window);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL /*erase*/)
{
    if (!layer::BeginCall("GetUpdateRect", hwnd))
        return FALSE;
    const layer::Window* window = Find(hwnd);
    if (window == nullptr)
        return FALSE;
    if (rect != nullptr)
        *rect = window->invalid ? window->update : RECT{};
    return window->invalid ? TRUE : FALSE;
}

int WINAPI ShowCursor(BOOL show)
{
    // ShowCursor has no failure on the platform; the call is only recorded.
    layer::BeginCall("ShowCursor");
    int& count = State().cursorCount;
    count += show ? 1 : -1;
    if (layer::Backend* backend = layer::RunningBackend())
        backend->ShowPointer(count >= 0);
    return count;
}

int WINAPI GetSystemMetrics(int index)
{
    if (!layer::BeginCall("GetSystemMetrics"))
        return 0;
    // The screen's size follows the display mode in force.
    switch (index) {
    case SM_CXSCREEN:
        return layer::CurrentScreenMode().width;
    case SM_CYSCREEN:
        return layer::CurrentScreenMode().height;
    default:
        return 0;
    }
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (!layer::BeginCall("LoadIconA"))
        return nullptr;
    return instance == nullptr && name == IDI_APPLICATION ? layer::APPLICATION_ICON : nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (!layer::BeginCall("LoadCursorA"))
        return nullptr;
    return instance == nullptr && name == IDC_ARROW ? layer::ARROW_CURSOR : nullptr;
}
