#include "display/surface_restore.h"

#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "platform/win32.h"

BOOL RestoreLostSurfaces()
{
    // Until the display is the program's again the primary cannot come back;
    // a later frame's flip reports the loss once more, and we try again.
    HRESULT result = DisplayState.PrimarySurface->Restore();
    // Windows gives the program its mode back when the user returns to it;
    // where the desktop keeps its own (Wine), the program sets it again, but
    // only once its window is in front, never behind another program's.
    if (result == DDERR_WRONGMODE && GetForegroundWindow() == DisplayState.MainWindow
        && DisplayState.DirectDrawObject->SetDisplayMode(
               SCREEN_WIDTH, SCREEN_HEIGHT, DISPLAY_BITS_PER_PIXEL)
            == DD_OK)
        result = DisplayState.PrimarySurface->Restore();
    if (result != DD_OK)
        return FALSE;
    // The back buffer came back with the primary, and every frame redraws it
    // whole. Each tile's copy restores its surface before drawing into it; a
    // tile that cannot be loaded again ends the run, as at start-up.
    LoadTileSet();
    return TRUE;
}
