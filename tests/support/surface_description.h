// A plain offscreen surface in the display's format, as tests, benchmarks and fuzzers ask.
#pragma once

#include "platform/win32.h"

#include <cstring>

namespace testsupport {

inline DDSURFACEDESC OffscreenDescription(DWORD width, DWORD height)
{
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = width;
    desc.dwHeight = height;
    return desc;
}

}  // namespace testsupport
