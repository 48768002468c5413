// What the GDI part of the layer offers the rest of the layer.
//
// gdi/ holds the handle table and stock objects, device contexts on bitmaps
// and on surface memory, pixels, StretchBlt, text in the default font, and
// the one BMP reader. It includes include/ and calls/ only.
#pragma once

#include "platform/layer/include/windows.h"

#include <cstdint>

namespace layer {

// A device context that draws into 16-bit 5-6-5 memory owned by a surface.
// The memory must outlive the context.
HDC CreateSurfaceDC(uint16_t* bits, int32_t width, int32_t height, int32_t pitchBytes);
void DestroySurfaceDC(HDC hdc);

struct BmpImage;
// A DIB section of width x height holding the picture scaled to it
// nearest-neighbour: the bitmaps LoadImageA hands out.
// Null, with a refusal line, for a size out of range.
HBITMAP CreateDibSectionOf(const BmpImage& image, int32_t width, int32_t height);

int LiveGdiObjectCount();
// The 32-bit pixels kept for a bitmap, whatever depth it reports; or null.
const uint32_t* KeptBitmapPixels(HGDIOBJ bitmap);
// Ends every GDI object (for the tests' ResetLayer).
void ResetGdi();

}  // namespace layer
