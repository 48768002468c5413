// Renders the whole 2048 x 2048 world with the program's own tile walk and
// blits on the layer's headless backend, and saves it as a PNG.
//   render_map <out.png>
#include "display/display_state.h"
#include "headless_program.h"
#include "mapview/tile_walk.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <cstdio>

// Draws the view into the back buffer exactly as a frame does, without the
// legend, and copies it into the map picture.
static void RenderView(int32_t right, int32_t bottom, layer::test::Pixels& map)
{
    ComputeTilePieces(right, bottom, [](const TilePiece& piece) {
        RECT source
            = {piece.source.left, piece.source.top, piece.source.right, piece.source.bottom};
        DisplayState.BackBuffer->BltFast(piece.x, piece.y, DisplayState.TileSurfaces[piece.tile],
            &source, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT);
    });
    layer::test::Pixels view = layer::test::ReadSurface(DisplayState.BackBuffer);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            map.values[static_cast<size_t>(bottom - SCREEN_HEIGHT + y) * map.width
                + (right - SCREEN_WIDTH + x)]
                = view.at(x, y);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_map <out.png>\n");
        return 2;
    }
    if (!StartHeadlessProgram("render_map"))
        return 1;

    const int32_t worldSize = TILE_SIZE * MAP_COLUMNS;
    layer::test::Pixels map;
    map.width = worldSize;
    map.height = worldSize;
    map.values.assign(static_cast<size_t>(worldSize) * worldSize, 0);
    // The program's views stop one row short of the map's bottom; the walk
    // itself stays inside the map at 2048, so the last views use that to
    // show the whole world.
    for (int32_t bottom = SCREEN_HEIGHT;; bottom += SCREEN_HEIGHT) {
        if (bottom > worldSize)
            bottom = worldSize;
        for (int32_t right = SCREEN_WIDTH;; right += SCREEN_WIDTH) {
            if (right > worldSize)
                right = worldSize;
            RenderView(right, bottom, map);
            if (right == worldSize)
                break;
        }
        if (bottom == worldSize)
            break;
    }
    const bool saved = layer::test::SavePng(map, argv[1]);
    StopHeadlessProgram();
    return saved ? 0 : 1;
}
