#include "bench/scene.h"

#include "display/display_setup.h"
#include "display/display_state.h"
#include "display/tile_set.h"
#include "mapview/tile_walk.h"
#include "platform/layer/testing/test_controls.h"
#include "tests/support/test_window.h"

#include <cstring>

namespace bench {
namespace {

// Packed copy of a surface's pixels through Lock, with its real pitch.
std::vector<uint16_t> ReadThroughLock(IDirectDrawSurface* surface)
{
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (surface == NULL || surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL) != DD_OK)
        return {};
    std::vector<uint16_t> pixels(size_t{desc.dwWidth} * desc.dwHeight);
    const auto* rows = static_cast<const uint8_t*>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        std::memcpy(&pixels[size_t{y} * desc.dwWidth], rows + size_t{y} * desc.lPitch,
            desc.dwWidth * sizeof(uint16_t));
    surface->Unlock(NULL);
    return pixels;
}

}  // namespace

bool SetUpDisplay()
{
    layer::test::ResetLayer(1024, 768);
    DisplayState = {};
    HWND window = CreateTestWindow();
    if (window == NULL)
        return false;
    DisplayState.MainWindow = window;
    if (InitDisplay(window) == 0)
        return false;
    LoadTileSet();
    // A failed tile posts the quit message instead of saying so.
    MSG message;
    return PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE) == 0 || message.message != WM_QUIT;
}

void TearDownDisplay()
{
    ReleaseDisplay();
    DisplayState = {};
    layer::test::ResetLayer();
}

TilePixels ReadTiles()
{
    TilePixels tiles;
    for (int i = 0; i < TILE_COUNT; ++i)
        tiles[i] = ReadThroughLock(DisplayState.TileSurfaces[i]);
    return tiles;
}

void BlitTilePieces(int32_t viewRight, int32_t viewBottom)
{
    ComputeTilePieces(viewRight, viewBottom, [](const TilePiece& piece) {
        RECT source
            = {piece.source.left, piece.source.top, piece.source.right, piece.source.bottom};
        DisplayState.BackBuffer->BltFast(piece.x, piece.y, DisplayState.TileSurfaces[piece.tile],
            &source, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT);
    });
}

int CountPieces(int32_t viewRight, int32_t viewBottom)
{
    int count = 0;
    ComputeTilePieces(viewRight, viewBottom, [&count](const TilePiece&) { ++count; });
    return count;
}

std::vector<uint16_t> ReadBackBuffer()
{
    return ReadThroughLock(DisplayState.BackBuffer);
}

}  // namespace bench
