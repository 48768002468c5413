// The one platform header of the program: the real Win32 and DirectDraw
// headers on Windows, the compatibility layer's declarations elsewhere.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <ddraw.h>
#else
#include "layer/windows.h"
#include "layer/ddraw.h"
#endif
