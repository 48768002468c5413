// Loading bitmaps into surfaces, and the scaled copy through GDI that does it.
#include "display/bitmap_utils.h"
#include "platform/win32.h"

#include <cstring>

namespace {

// The bitmap of that name as a DIB section: the executable's resource first,
// then a file of that name. Null when neither exists.
HBITMAP LoadNamedBitmap(LPCSTR name, int32_t width, int32_t height)
{
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(NULL), name, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION));
    if (bitmap == NULL)
        bitmap = static_cast<HBITMAP>(LoadImageA(
            NULL, name, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    return bitmap;
}

}  // namespace

HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int32_t x, int32_t y,
    int32_t width, int32_t height)
{
    if (bitmap == NULL || surface == NULL)
        return E_FAIL;

    // A surface whose memory was lost must be allocated again before we draw.
    surface->Restore();

    HDC memoryDC = CreateCompatibleDC(NULL);
    if (memoryDC == NULL) {
        OutputDebugStringA("createcompatible dc failed\n");
        return E_FAIL;
    }
    // A picture that never reached the surface is a failed copy; the calls
    // after a failed selection run all the same.
    bool drawn = SelectObject(memoryDC, bitmap) != NULL;

    BITMAP info;
    std::memset(&info, 0, sizeof(info));
    GetObjectA(bitmap, sizeof(info), &info);
    if (width == 0)
        width = info.bmWidth;
    if (height == 0)
        height = info.bmHeight;

    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    HRESULT result = surface->GetSurfaceDesc(&desc);
    // Without the surface's size there is no destination to stretch onto.
    if (result == DD_OK) {
        HDC surfaceDC;
        result = surface->GetDC(&surfaceDC);
        if (result == DD_OK) {
            if (!StretchBlt(surfaceDC, 0, 0, desc.dwWidth, desc.dwHeight, memoryDC, x, y, width,
                    height, SRCCOPY))
                drawn = false;
            surface->ReleaseDC(surfaceDC);
        }
    }

    // Deleting the context lets go of the bitmap in it; the bitmap survives.
    DeleteDC(memoryDC);
    if (result == DD_OK && !drawn)
        return E_FAIL;
    return result;
}

HRESULT ReloadBitmap(IDirectDrawSurface* surface, LPCSTR name)
{
    HBITMAP bitmap = LoadNamedBitmap(name, 0, 0);
    if (bitmap == NULL) {
        OutputDebugStringA("handle is null\n");
        return E_FAIL;
    }

    const HRESULT result = CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    if (result != DD_OK)
        OutputDebugStringA("ddcopybitmap failed\n");

    DeleteObject(bitmap);
    return result;
}

IDirectDrawSurface* LoadBitmapSurface(
    IDirectDraw* directDraw, LPCSTR name, int32_t width, int32_t height)
{
    // Without a DirectDraw object there is nothing to make the surface with.
    if (directDraw == NULL)
        return NULL;

    HBITMAP bitmap = LoadNamedBitmap(name, width, height);
    if (bitmap == NULL)
        return NULL;

    BITMAP info;
    std::memset(&info, 0, sizeof(info));
    GetObjectA(bitmap, sizeof(info), &info);

    // No pixel format: the surface takes the display's.
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = info.bmWidth;
    desc.dwHeight = info.bmHeight;

    IDirectDrawSurface* surface = NULL;
    if (directDraw->CreateSurface(&desc, &surface, NULL) != DD_OK) {
        DeleteObject(bitmap);
        return NULL;
    }

    // The surface is the caller's even when the picture did not reach it.
    CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);

    DeleteObject(bitmap);
    return surface;
}
