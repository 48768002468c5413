#include "display/display_setup.h"

#include "display/display_state.h"

#include <cstring>

// Full-screen exclusive use, with Ctrl+Alt+Del left working and Mode X
// modes allowed.
static const DWORD COOPERATIVE_LEVEL
    = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;

static const char GREETING[] = "Welcome Aboard!";

static int FailDisplaySetup()
{
    ReleaseDisplay();
    return 0;
}

// Written straight onto the visible surface, so it shows while the tiles
// are still loading. A missing device context only costs the greeting.
static void DrawGreeting()
{
    HDC dc;
    if (DisplayState.PrimarySurface->GetDC(&dc) != DD_OK)
        return;
    SetBkColor(dc, TEXT_BACKGROUND_COLOR);
    SetTextColor(dc, TEXT_COLOR);
    TextOutA(dc, 0, 0, GREETING, sizeof(GREETING) - 1);
    DisplayState.PrimarySurface->ReleaseDC(dc);
}

int InitDisplay(HWND window)
{
    if (DirectDrawCreate(NULL, &DisplayState.DirectDrawObject, NULL) != DD_OK) {
        DisplayState.DirectDrawObject = NULL;
        return FailDisplaySetup();
    }
    if (DisplayState.DirectDrawObject->SetCooperativeLevel(window, COOPERATIVE_LEVEL) != DD_OK)
        return FailDisplaySetup();
    if (DisplayState.DirectDrawObject->SetDisplayMode(
            SCREEN_WIDTH, SCREEN_HEIGHT, DISPLAY_BITS_PER_PIXEL)
        != DD_OK)
        return FailDisplaySetup();

    // One description serves every surface: filled for the flipping chain,
    // then amended for the tiles. The tiles name no pixel format, so they
    // take the display's.
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    if (DisplayState.DirectDrawObject->CreateSurface(&desc, &DisplayState.PrimarySurface, NULL)
        != DD_OK) {
        DisplayState.PrimarySurface = NULL;
        return FailDisplaySetup();
    }

    DDSCAPS caps;
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (DisplayState.PrimarySurface->GetAttachedSurface(&caps, &DisplayState.BackBuffer) != DD_OK) {
        DisplayState.BackBuffer = NULL;
        return FailDisplaySetup();
    }

    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwHeight = TILE_SIZE;
    desc.dwWidth = TILE_SIZE;
    for (int i = 0; i < TILE_COUNT; i++) {
        if (DisplayState.DirectDrawObject->CreateSurface(&desc, &DisplayState.TileSurfaces[i], NULL)
            != DD_OK) {
            DisplayState.TileSurfaces[i] = NULL;
            return FailDisplaySetup();
        }
    }

    DrawGreeting();
    return 1;
}

int ReleaseDisplay()
{
    if (DisplayState.DirectDrawObject == NULL)
        return 0;

    // The primary first: its back buffer ends with it.
    if (DisplayState.PrimarySurface != NULL) {
        DisplayState.PrimarySurface->Release();
        DisplayState.PrimarySurface = NULL;
    }
    // Nothing may use the back buffer once its chain is gone.
    DisplayState.BackBuffer = NULL;

    for (int i = 0; i < TILE_COUNT; i++) {
        if (DisplayState.TileSurfaces[i] != NULL) {
            DisplayState.TileSurfaces[i]->Release();
            DisplayState.TileSurfaces[i] = NULL;
        }
    }

    // Last: releasing the DirectDraw object also gives back the earlier mode.
    DisplayState.DirectDrawObject->Release();
    DisplayState.DirectDrawObject = NULL;
    return 1;
}
