// The world: a constant 32 x 32 table of tile indices, row-major.
#pragma once

#include "mapview/map_constants.h"

extern const TileIndex TileMap[MAP_ROWS * MAP_COLUMNS];
