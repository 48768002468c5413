// GDI's objects and the handle table that names them. A handle is an opaque
// number: it is looked up here and never dereferenced, so a stale, foreign or
// made-up handle is simply not found. Internal to the GDI part of the layer.
#pragma once

#include "platform/layer/gdi/canvas.h"
#include "platform/layer/include/windows.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace layer::gdi {

// A bitmap as a 32-bit BI_RGB DIB section stores it: rows bottom-up, each
// pixel 0x00RRGGBB. The memory DCs' default bitmap is the 1x1 monochrome
// stock object; it keeps its pixel in the same form but holds only black
// or white. A DIB section made at another depth (a loaded 24-bit file, say)
// says so in bitsPerPixel, and keeps its pixels at 32 bits all the same.
struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 32;
    bool monochrome = false;
    std::vector<uint32_t> pixels;
    HDC selectedInto = nullptr;  // for non-stock bitmaps: the one DC holding it

    Canvas GetCanvas();
};

struct Brush {
    COLORREF color = 0;
};

struct DeviceContext {
    bool onSurface = false;
    Canvas surface;  // when on a surface
    HBITMAP bitmap = nullptr;  // memory DC: the selected bitmap
    HGDIOBJ brush = nullptr;
    COLORREF backgroundColor = RGB(255, 255, 255);
    COLORREF textColor = RGB(0, 0, 0);
};

// Looks a handle up; null when it names no live object of that kind.
Bitmap* FindBitmap(HGDIOBJ handle);
DeviceContext* FindDC(HDC handle);
Brush* FindBrush(HGDIOBJ handle);
bool IsStockObject(HGDIOBJ handle);

// A new black DIB section; null (with a refusal line) above the size cap.
HBITMAP CreateDibBitmap(int32_t width, int32_t height, Bitmap** created);
HDC CreateDC(const DeviceContext& dc);
// Ends a non-stock object; the caller has checked that it may.
void EndObject(HGDIOBJ handle);

HBITMAP DefaultBitmap();
HGDIOBJ DefaultBrush();

// Where a DC draws: false when it is not a DC.
bool CanvasOf(HDC handle, Canvas* canvas);

}  // namespace layer::gdi
