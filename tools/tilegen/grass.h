// The lawn: green alone, soft irregular patches, seamless on all four sides.
#pragma once

#include "tile_image.h"

#include <cstdint>

namespace tilegen {

constexpr int GRASS_GREEN_MIN = 93;
constexpr int GRASS_GREEN_MAX = 143;
constexpr int GRASS_GREEN_MEAN = 117;

TileImage DrawGrass(uint64_t seed);

}  // namespace tilegen
