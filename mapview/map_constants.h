// Sizes of the screen, the tiles and the map, and the scrolling step.
#pragma once

#include <cstdint>

typedef uint8_t TileIndex;

constexpr int32_t SCREEN_WIDTH = 640;
constexpr int32_t SCREEN_HEIGHT = 480;
constexpr int32_t TILE_SIZE = 64;
constexpr int32_t MAP_COLUMNS = 32;
constexpr int32_t MAP_ROWS = 32;
constexpr int32_t TILE_COUNT = 12;
constexpr int32_t SCROLL_STEP = 4;
constexpr int32_t VIEW_RIGHT_MAX = 2048;
// One short of the map's height: the map's last pixel row stays out of view.
constexpr int32_t VIEW_BOTTOM_MAX = 2047;

// The greeting and the legend: yellow text on a blue band, as GDI colours
// (0x00BBGGRR).
constexpr uint32_t TEXT_BACKGROUND_COLOR = 0xFF0000;
constexpr uint32_t TEXT_COLOR = 0x00FFFF;
