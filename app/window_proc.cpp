#include "app/window_proc.h"

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        // Whatever destroyed the window, the run ends.
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        // All drawing goes through DirectDraw; only validate the window.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        // WM_CLOSE among them: the default handling destroys the window.
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
