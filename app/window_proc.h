// The main window's procedure.
#pragma once

#include "platform/win32.h"

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
