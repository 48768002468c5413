// Bitmap, colour-key and palette utilities: GDI bitmaps and GDI colours
// brought into DirectDraw surfaces and palettes.
#pragma once

#include "display/palette_rules.h"
#include "platform/win32.h"

#include <cstdint>

// The last entry sent to the display palette at each index; zero at start.
extern PALETTEENTRY PaletteShadow[PALETTE_SIZE];

// A new offscreen surface holding the named bitmap (a resource of the
// executable, else a .bmp file), loaded at width x height where these are not
// 0. Null when there is no DirectDraw object, no such bitmap or no surface.
// The caller releases it.
IDirectDrawSurface* LoadBitmapSurface(
    IDirectDraw* directDraw, LPCSTR name, int32_t width, int32_t height);

// The named bitmap stretched over the whole of an existing surface.
HRESULT ReloadBitmap(IDirectDrawSurface* surface, LPCSTR name);

// The rectangle (x, y, width, height) of the bitmap stretched over the whole
// surface; a width or height of 0 means the bitmap's own. The bitmap stays the
// caller's. E_FAIL when the bitmap could not be selected or stretched.
HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int32_t x, int32_t y,
    int32_t width, int32_t height);

// A new 256-entry palette: the default ramp, overwritten by the colour table
// of the named bitmap resource or .bmp file (name may be null). Null without a
// DirectDraw object. The caller releases it.
IDirectDrawPalette* LoadPaletteFromBitmap(IDirectDraw* directDraw, LPCSTR name);

// The pixel value the surface uses for a GDI colour (or, for CLR_INVALID, the
// top-left pixel's present value); CLR_INVALID for a null surface or one that
// cannot be locked.
DWORD MatchColor(IDirectDrawSurface* surface, COLORREF color);

// The surface's source-blit colour key set to the pixel value of a colour;
// E_FAIL for a null surface.
HRESULT SetSourceColorKey(IDirectDrawSurface* surface, COLORREF color);

// One entry of the display palette and of PaletteShadow. 1 when written; 0
// for an index outside 0 to 255 or when there is no display palette.
BOOL SetPaletteEntry(int32_t index, BYTE red, BYTE green, BYTE blue);
