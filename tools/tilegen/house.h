// The cottage, front view, standing on a copy of the lawn.
#pragma once

#include "tile_image.h"

#include <cstdint>

namespace tilegen {

constexpr Rgb ROOF_BLUE{0, 0, 192};
constexpr Rgb DOOR_RED{64, 0, 0};

TileImage DrawHouse(const TileImage& grass, uint64_t seed);

}  // namespace tilegen
