// The process's DirectDraw objects and its main window, in one record.
#pragma once

#include "display/display_constants.h"
#include "platform/win32.h"

struct DisplayStateRecord {
    IDirectDraw* DirectDrawObject;
    IDirectDrawSurface* PrimarySurface;  // visible front of the flipping chain
    IDirectDrawSurface* BackBuffer;  // owned by the chain, never released alone
    IDirectDrawSurface* TileSurfaces[TILE_COUNT];
    IDirectDrawPalette* DisplayPalette;  // never set by the application
    HWND MainWindow;
};

extern DisplayStateRecord DisplayState;
