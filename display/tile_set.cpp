#include "display/tile_set.h"

#include "display/bitmap_utils.h"
#include "display/display_state.h"
#include "display/tile_set_rules.h"
#include "platform/win32.h"

#include <cstdlib>

void LoadTileSet()
{
    HINSTANCE module = GetModuleHandleA(NULL);
    LoadTilesInOrder(
        [module](const char* name) {
            // Resources only: the tiles never come from a file.
            return (HBITMAP)LoadImageA(
                module, name, IMAGE_BITMAP, TILE_SIZE, TILE_SIZE, LR_CREATEDIBSECTION);
        },
        [](int tileIndex, HBITMAP bitmap) {
            return CopyBitmapToSurface(
                DisplayState.TileSurfaces[tileIndex], bitmap, 0, 0, TILE_SIZE, TILE_SIZE);
        },
        [](HBITMAP bitmap) { DeleteObject(bitmap); },
        []() {
            // The run cannot go on without its tiles, and ends as a failure.
            PostQuitMessage(EXIT_FAILURE);
        });
}
