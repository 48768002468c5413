// Device contexts: memory DCs that draw into a selected bitmap, and the DCs
// on surface memory that DirectDraw hands out, with what can be selected
// into them.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/gdi/objects.h"

#include <cstdint>

namespace layer {

HDC CreateSurfaceDC(uint16_t* bits, int32_t width, int32_t height, int32_t pitchBytes)
{
    if (bits == nullptr || width <= 0 || height <= 0 || pitchBytes < int64_t{width} * 2
        || pitchBytes % 2 != 0) {
        Refuse("GetDC", "surface memory unusable for a device context");
        return nullptr;
    }
    gdi::DeviceContext dc;
    dc.onSurface = true;
    dc.surface.format = gdi::PixelFormat::Rgb565;
    dc.surface.top = reinterpret_cast<uint8_t*>(bits);
    dc.surface.width = width;
    dc.surface.height = height;
    dc.surface.pitch = pitchBytes;
    dc.brush = gdi::DefaultBrush();
    return gdi::CreateDC(dc);
}

void DestroySurfaceDC(HDC hdc)
{
    const gdi::DeviceContext* dc = gdi::FindDC(hdc);
    if (dc == nullptr || !dc->onSurface) {
        Refuse("ReleaseDC", "not a surface's device context");
        return;
    }
    gdi::EndObject(hdc);
}

}  // namespace layer

using namespace layer;

HDC WINAPI CreateCompatibleDC(HDC hdc)
{
    if (!BeginCall("CreateCompatibleDC", hdc))
        return nullptr;
    if (hdc != nullptr && gdi::FindDC(hdc) == nullptr) {
        Refuse("CreateCompatibleDC", "not a device context");
        return nullptr;
    }
    // Like the platform's, a new memory DC holds the 1x1 monochrome stock
    // bitmap until the program selects its own.
    gdi::DeviceContext dc;
    dc.bitmap = gdi::DefaultBitmap();
    dc.brush = gdi::DefaultBrush();
    return gdi::CreateDC(dc);
}

BOOL WINAPI DeleteDC(HDC hdc)
{
    if (!BeginCall("DeleteDC", hdc))
        return FALSE;
    gdi::DeviceContext* dc = gdi::FindDC(hdc);
    if (dc == nullptr) {
        Refuse("DeleteDC", "not a device context");
        return FALSE;
    }
    if (dc->onSurface) {
        Refuse("DeleteDC", "a surface's device context goes back with ReleaseDC");
        return FALSE;
    }
    // The selected bitmap survives and may be deleted or selected elsewhere.
    if (gdi::Bitmap* bitmap = gdi::FindBitmap(dc->bitmap); bitmap != nullptr)
        if (bitmap->selectedInto == hdc)
            bitmap->selectedInto = nullptr;
    gdi::EndObject(hdc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ obj)
{
    if (!BeginCall("SelectObject", hdc))
        return nullptr;
    gdi::DeviceContext* dc = gdi::FindDC(hdc);
    if (dc == nullptr) {
        Refuse("SelectObject", "not a device context");
        return nullptr;
    }
    if (gdi::FindBrush(obj) != nullptr) {
        HGDIOBJ previous = dc->brush;
        dc->brush = obj;
        return previous;
    }
    gdi::Bitmap* bitmap = gdi::FindBitmap(obj);
    if (bitmap == nullptr) {
        Refuse("SelectObject", "not a bitmap or brush");
        return nullptr;
    }
    if (dc->onSurface) {
        Refuse("SelectObject", "a surface's device context takes no bitmap");
        return nullptr;
    }
    HBITMAP previous = dc->bitmap;
    if (obj == previous)
        return previous;
    const bool stock = gdi::IsStockObject(obj);
    // A bitmap can be selected into one device context at a time.
    if (!stock && bitmap->selectedInto != nullptr) {
        Refuse("SelectObject", "bitmap is already selected into another device context");
        return nullptr;
    }
    if (gdi::Bitmap* old = gdi::FindBitmap(previous); old != nullptr && old->selectedInto == hdc)
        old->selectedInto = nullptr;
    if (!stock)
        bitmap->selectedInto = hdc;
    dc->bitmap = static_cast<HBITMAP>(obj);
    return previous;
}
