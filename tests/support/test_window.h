// A plain top-level window for tests that need one (a cooperative level
// needs a window), made only with the platform's own API.
#pragma once

#include "platform/win32.h"

HWND CreateTestWindow();
