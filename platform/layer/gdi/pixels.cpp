// Single pixels through a device context, as COLORREFs in the DC's format.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/gdi/objects.h"

using namespace layer;

COLORREF WINAPI GetPixel(HDC hdc, int x, int y)
{
    if (!BeginCall("GetPixel", hdc))
        return CLR_INVALID;
    gdi::Canvas canvas;
    if (!gdi::CanvasOf(hdc, &canvas)) {
        Refuse("GetPixel", "not a device context");
        return CLR_INVALID;
    }
    // Outside the pixels is an ordinary answer on the platform, not an error.
    if (!canvas.Contains(x, y))
        return CLR_INVALID;
    return canvas.Read(x, y);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    if (!BeginCall("SetPixel", hdc))
        return static_cast<COLORREF>(-1);
    gdi::Canvas canvas;
    if (!gdi::CanvasOf(hdc, &canvas)) {
        Refuse("SetPixel", "not a device context");
        return static_cast<COLORREF>(-1);
    }
    if (!canvas.Contains(x, y))
        return static_cast<COLORREF>(-1);
    return canvas.Write(x, y, color);
}
