// What the USER part of the layer offers the rest of the layer.
//
// user/ holds windows and their classes, painting, the cursor and the screen
// metrics, the thread's message queue, the keyboard's state, and LoadImageA.
// It includes include/, calls/, device/, gdi/ and kernel/; never ddraw/:
// DirectDraw tells it which window holds the display (SetDisplayWindow).
#pragma once

#include "platform/layer/include/windows.h"

namespace layer {

// ---- Windows (windows.cpp) -------------------------------------------------------
bool WindowAlive(HWND hwnd);
// Calls the window's procedure; 0 for a dead window.
LRESULT CallWindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends WM_DESTROY, then ends the window. False for a dead window.
bool EndWindow(HWND hwnd);
// The earliest-made visible window whose WM_PAINT is due, or null.
HWND WindowDuePaint();
// DirectDraw names the window that holds the display for its exclusive use
// (SetCooperativeLevel), and null when it gives the display back.
void SetDisplayWindow(HWND hwnd);
// The window the desktop's close request goes to: the window that holds the
// display, else the earliest-made live window; or null.
HWND MainWindow();
int CountLiveWindows();
// Another program's window in front of ours, or ours in front again.
void SetForegroundElsewhere(bool elsewhere);
bool CursorCountHidden();
void ResetWindows();

// ---- Message queue (messages.cpp) -------------------------------------------------
// Posted messages for a window that ends are dropped, as on the platform.
void DropMessagesFor(HWND hwnd);
int CountPostedMessages();
void ResetMessages();

}  // namespace layer
