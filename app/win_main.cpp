// The process entry: the main window, the display, the tile set, and the
// message loop that runs a frame whenever no message is waiting.
#include "app/window_proc.h"
#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "mapview/frame.h"
#include "platform/win32.h"

#include <cstdlib>

static const char WINDOW_CLASS_NAME[] = "WINDOW_CLASS";
static const char WINDOW_TITLE[] = "Vek's directx tasklist marque";

static ATOM RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass;
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = WINDOW_CLASS_NAME;
    return RegisterClassExA(&windowClass);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR cmdLine, int cmdShow)
{
    (void)prevInstance;
    (void)cmdLine;
    (void)cmdShow;

    // A start that fails says so in the exit code; only the quit message
    // of a run that ended its own way carries 0.
    if (RegisterMainWindowClass(instance) == 0)
        return EXIT_FAILURE;

    // The window covers the screen as it is now, before the mode switch.
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, WINDOW_CLASS_NAME, WINDOW_TITLE,
        WS_POPUP | WS_VISIBLE, 0, 0, screenWidth, screenHeight, NULL, NULL, instance, NULL);
    if (window == NULL)
        return EXIT_FAILURE;

    ShowCursor(FALSE);
    DisplayState.MainWindow = window;

    if (InitDisplay(window) == 0) {
        DestroyWindow(window);
        return EXIT_FAILURE;
    }

    LoadTileSet();

    // A waiting message always goes first, and an empty queue means one more
    // frame, paced by the waiting flip. While another program holds the
    // display the flip returns at once and no frame can be seen: the loop
    // sleeps until a message comes (the user bringing the window back), then
    // tries again, instead of spinning.
    MSG message;
    BOOL displayShown = TRUE;
    for (;;) {
        if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) != 0) {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (displayShown) {
            displayShown = UpdateFrame();
        } else {
            WaitMessage();
            displayShown = TRUE;
        }
    }

    ReleaseDisplay();
    return (int)message.wParam;
}
