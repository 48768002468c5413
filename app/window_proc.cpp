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
        if (BeginPaint(window, &paint) == NULL) {
            // A window left invalid gets WM_PAINT again at once, and paint
            // messages go before frames: no frame, so no Escape, would ever
            // run again.
            ValidateRect(window, NULL);
            return 0;
        }
        EndPaint(window, &paint);
        return 0;
    }
    default:
        // WM_CLOSE among them: the default handling destroys the window.
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
