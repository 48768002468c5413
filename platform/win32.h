// The one platform header of the program: the real Win32 and DirectDraw
// headers on Windows, the compatibility layer's declarations elsewhere.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// ddraw.h needs the types that windows.h declares.
// clang-format off
#include <windows.h>
#include <ddraw.h>
// clang-format on

// The surface description is a 108-byte record on 32-bit Windows (120 bytes on
// 64-bit Windows, where its surface pointer is 8 bytes and 8-aligned); the
// display code fills it field by field and passes its size in dwSize, so a
// header that lays it out differently must stop the build rather than the
// program.
#ifdef _WIN64
static_assert(sizeof(DDSURFACEDESC) == 120, "DDSURFACEDESC must be 120 bytes on 64-bit Windows");
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT must be 32 bytes on 64-bit Windows");
static_assert(sizeof(void*) == 8, "the x64 Windows build is 64-bit");
#else
static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC must be 108 bytes on 32-bit Windows");
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT must be 32 bytes on 32-bit Windows");
static_assert(sizeof(void*) == 4, "the Windows build is 32-bit");
#endif
#else
#include "platform/layer/include/ddraw.h"
#include "platform/layer/include/windows.h"
#endif
