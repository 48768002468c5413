#include "mapview/frame.h"

#include "display/display_state.h"
#include "display/surface_restore.h"
#include "mapview/input.h"
#include "mapview/tile_walk.h"
#include "mapview/view_position.h"
#include "platform/win32.h"

void DrawLegend()
{
    HDC dc;
    if (DisplayState.BackBuffer->GetDC(&dc) != DD_OK)
        return;  // no legend this frame; the flip still happens
    SetBkColor(dc, TEXT_BACKGROUND_COLOR);
    SetTextColor(dc, TEXT_COLOR);
    TextOutA(dc, 0, 0, LEGEND_TEXT, LEGEND_LENGTH);
    DisplayState.BackBuffer->ReleaseDC(dc);
}

BOOL UpdateFrame()
{
    ProcessInput();

    // The pieces cover the back buffer exactly, so it is never cleared.
    ComputeTilePieces(viewRight, viewBottom, [](const TilePiece& piece) {
        RECT source
            = {piece.source.left, piece.source.top, piece.source.right, piece.source.bottom};
        DisplayState.BackBuffer->BltFast(piece.x, piece.y, DisplayState.TileSurfaces[piece.tile],
            &source, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT);
    });

    DrawLegend();
    // Switching away from the full-screen program takes the surfaces'
    // memory; the flip is the one result that tells us.
    if (DisplayState.PrimarySurface->Flip(NULL, DDFLIP_WAIT) == DDERR_SURFACELOST)
        return RestoreLostSurfaces();
    return TRUE;
}
