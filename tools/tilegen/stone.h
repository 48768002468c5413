// The stone wall: a 4 x 4 checkerboard of light and dark grey squares.
#pragma once

#include "tile_image.h"

#include <cstdint>

namespace tilegen {

constexpr int STONE_SQUARE = 16;
constexpr int STONE_LIGHT_MIN = 159;
constexpr int STONE_LIGHT_MAX = 211;
constexpr int STONE_DARK_MIN = 102;
constexpr int STONE_DARK_MAX = 142;

TileImage DrawStone(uint64_t seed);

}  // namespace tilegen
