// The program's display as WinMain leaves it before its first frame, on the
// layer's headless backend: a window, InitDisplay, and the real tile set.
#pragma once

#include "mapview/map_constants.h"
#include "platform/win32.h"

#include <array>
#include <cstdint>
#include <vector>

namespace bench {

struct ViewCase {
    const char* name;
    int32_t viewRight;
    int32_t viewBottom;
};
// s = 4, t = 40: 11 pieces a row, 9 rows, 99 pieces, most of them landing
// on destination columns that are not 32-byte aligned.
constexpr ViewCase WORST_VIEW{"worst", SCREEN_WIDTH + 4, SCREEN_HEIGHT + 40};
// s = t = 0: 10 full-width pieces a row, 8 rows, 80 pieces.
constexpr ViewCase BEST_VIEW{"best", SCREEN_WIDTH, SCREEN_HEIGHT};

constexpr size_t FRAME_PIXELS = size_t{SCREEN_WIDTH} * SCREEN_HEIGHT;
constexpr size_t FRAME_BYTES = FRAME_PIXELS * sizeof(uint16_t);

// Resets the layer to its headless backend and sets the display up with the
// program's own InitDisplay and LoadTileSet. False when any step fails.
bool SetUpDisplay();
// ReleaseDisplay, then a reset layer.
void TearDownDisplay();

// The twelve tile pictures as their surfaces hold them: 64 rows of 64 5-6-5
// pixels each, packed.
using TilePixels = std::array<std::vector<uint16_t>, TILE_COUNT>;
TilePixels ReadTiles();

// The frame's blits, exactly as UpdateFrame makes them.
void BlitTilePieces(int32_t viewRight, int32_t viewBottom);
int CountPieces(int32_t viewRight, int32_t viewBottom);

// The back buffer's pixels, packed; empty when it cannot be locked.
std::vector<uint16_t> ReadBackBuffer();

}  // namespace bench
