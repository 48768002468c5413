// Sizes of the map and the scrolling step; the screen's and the tiles' come
// from the display.
#pragma once

#include "display/display_constants.h"

#include <cstdint>

constexpr int32_t MAP_COLUMNS = 32;
constexpr int32_t MAP_ROWS = 32;
constexpr int32_t SCROLL_STEP = 4;
constexpr int32_t VIEW_RIGHT_MAX = 2048;
// One short of the map's height: the map's last pixel row stays out of view.
constexpr int32_t VIEW_BOTTOM_MAX = 2047;
