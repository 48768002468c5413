// A plain top-level window (a cooperative level needs one), through the platform's API.
#pragma once

#include "platform/win32.h"

HWND CreateTestWindow();
