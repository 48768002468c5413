// Brings the program's window back to the front after another program was
// activated over it, as a user's Alt+Tab back would: restored from its
// minimised state and made the foreground window.
//   reactivate.exe     exit 0 when the window was found, 2 when it was not
#include <windows.h>

int main()
{
    HWND window = FindWindowA("WINDOW_CLASS", nullptr);
    if (window == nullptr) {
        return 2;
    }
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return 0;
}
