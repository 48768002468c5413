#include "display/surface_restore.h"

#include "display/display_state.h"
#include "display/tile_set.h"
#include "platform/win32.h"

void RestoreLostSurfaces()
{
    // Until the display is the program's again the primary cannot come back;
    // the next frame's flip reports the loss once more, and we try again.
    if (DisplayState.PrimarySurface->Restore() != DD_OK)
        return;
    // The back buffer came back with the primary, and every frame redraws it
    // whole. Each tile's copy restores its surface before drawing into it; a
    // tile that cannot be loaded again ends the run, as at start-up.
    LoadTileSet();
}
