#include "tests/support/test_window.h"

HWND CreateTestWindow()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "TEST_WINDOW_CLASS";
    RegisterClassExA(&windowClass);  // already registered is fine
    return CreateWindowExA(WS_EX_TOPMOST, "TEST_WINDOW_CLASS", "test", WS_POPUP | WS_VISIBLE, 0, 0,
        640, 480, NULL, NULL, GetModuleHandleA(NULL), NULL);
}
