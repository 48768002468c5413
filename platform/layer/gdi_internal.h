// What the GDI part of the layer offers its other parts. Internal.
#pragma once

#include <cstdint>

#include "platform/layer/windows.h"

namespace layer {

// A device context that draws into 16-bit 5-6-5 memory owned by a surface.
// The memory must outlive the context.
HDC CreateSurfaceDC(uint16_t* bits, int32_t width, int32_t height, int32_t pitchBytes);
void DestroySurfaceDC(HDC hdc);

int LiveGdiObjectCount();
// The 32-bit pixels kept for a bitmap, whatever depth it reports; or null.
const uint32_t* KeptBitmapPixels(HGDIOBJ bitmap);
// Ends every GDI object (for the tests' ResetLayer).
void ResetGdi();

}  // namespace layer
