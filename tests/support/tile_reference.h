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

// The bytes of the .bmp file that resources/tiles.rc names for tile i
// ("TILE" + (i + 1)), or an empty vector when there is none.
std::vector<uint8_t> TileFileBytes(int tileIndex);

// The picture of tile i from resources/, or an empty vector when the file
// cannot be read (a test failure is recorded).
TilePixels LoadTilePicture(int tileIndex);
const std::array<TilePixels, TILE_COUNT>& AllTilePictures();

// The 5-6-5 value of map pixel (x, y) with the committed pictures.
uint16_t MapPixel(int32_t x, int32_t y);

// Pixels of a 640 x 480 frame at the view that differ from the map, leaving
// out the legend's band at the top-left.
int WrongFramePixels(const std::vector<uint16_t>& frame, int32_t viewRight, int32_t viewBottom);

}  // namespace reference
