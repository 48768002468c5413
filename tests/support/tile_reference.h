// What the screen must show: the committed tile pictures read straight from
// resources/, converted to 5-6-5, and the map pixels they make.
#pragma once

#include "mapview/map_constants.h"

#include <array>
#include <cstdint>
#include <vector>

namespace reference {

// 64 x 64 pixels of each tile, 5-6-5, row by row from the top.
using TilePixels = std::vector<uint16_t>;

// TILE<i + 1> as resources/tiles.rc names it, 0x00RRGGBB row by row from the
// top; empty, failing the test, unless it is a plain 64 x 64 24-bit .bmp.
std::vector<uint32_t> TileRgb(int tileIndex);

// The pictures of the tiles from resources/; one that cannot be read is
// empty (a test failure is recorded).
const std::array<TilePixels, TILE_COUNT>& AllTilePictures();

// Pixels of a 640 x 480 frame at the view that differ from the map, leaving
// out the legend's band at the top-left.
int WrongFramePixels(const std::vector<uint16_t>& frame, int32_t viewRight, int32_t viewBottom);

}  // namespace reference
