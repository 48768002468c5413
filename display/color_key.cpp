// Colour matching and source colour keys: a GDI colour written through the
// surface's device context and read back as the surface's own pixel value.
#include "display/bitmap_utils.h"
#include "display/palette_rules.h"
#include "platform/win32.h"

#include <cstring>

DWORD MatchColor(IDirectDrawSurface* surface, COLORREF color)
{
    DWORD result = CLR_INVALID;
    if (surface == NULL)
        return result;

    COLORREF savedColor = 0;
    bool pixelWritten = false;
    HDC dc;

    // The context is released before the lock, so that GDI's write has
    // reached the surface memory when we read it.
    if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        savedColor = GetPixel(dc, 0, 0);
        // A colour that could not be read could not be put back: the pixel
        // is left alone, and the lock reads it as it is.
        if (savedColor != CLR_INVALID) {
            SetPixel(dc, 0, 0, color);
            pixelWritten = true;
        }
        surface->ReleaseDC(dc);
    }

    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    HRESULT locked;
    do {
        locked = surface->Lock(NULL, &desc, 0, NULL);
    } while (locked == DDERR_WASSTILLDRAWING);

    if (locked == DD_OK) {
        // Only the top-left pixel's own bytes are read, so a surface one pixel
        // wide and narrower than a word is never read past its end; the bytes
        // after the pixel would be masked away anyway.
        const uint32_t bits = desc.ddpfPixelFormat.dwRGBBitCount;
        const size_t pixelBytes = bits >= 32 ? 4 : (bits + 7) / 8;
        uint8_t bytes[4] = {0, 0, 0, 0};
        std::memcpy(bytes, desc.lpSurface, pixelBytes);
        const uint32_t raw = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8
            | static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        result = MaskToBitDepth(raw, bits);
        surface->Unlock(NULL);
    }

    if (pixelWritten && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, savedColor);
        surface->ReleaseDC(dc);
    }
    return result;
}

HRESULT SetSourceColorKey(IDirectDrawSurface* surface, COLORREF color)
{
    if (surface == NULL)
        return E_FAIL;
    // A failed match is not examined: the key becomes CLR_INVALID's value.
    const DWORD value = MatchColor(surface, color);
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = value;
    key.dwColorSpaceHighValue = value;
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}
