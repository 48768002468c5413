// What the screen must show: the committed tile pictures from resources/, in 5-6-5.
#pragma once

#include "mapview/map_constants.h"

#include <array>
#include <cstdint>
#include <vector>

namespace reference {

// 64 x 64 pixels of each tile, 5-6-5, row by row from the top.
using TilePixels = std::vector<uint16_t>;

// TILE<i + 1> of tiles.rc, 0x00RRGGBB; empty, failing, unless a plain 64 x 64 24-bit .bmp.
std::vector<uint32_t> TileRgb(int tileIndex);

// Each tile's picture; empty, failing the test, for one that cannot be read.
const std::array<TilePixels, TILE_COUNT>& AllTilePictures();

// Pixels of a 640 x 480 frame at the view that differ from the map, legend aside.
int WrongFramePixels(const std::vector<uint16_t>& frame, int32_t viewRight, int32_t viewBottom);

}  // namespace reference
