// What the display and the map view share: the screen mode's size, the tiles
// (their size, how many, and the index that names one), and the colours of
// the text on the screen. Here, in the lower module, so that both include it.
#pragma once

#include <cstdint>

typedef uint8_t TileIndex;

constexpr int32_t SCREEN_WIDTH = 640;
constexpr int32_t SCREEN_HEIGHT = 480;
constexpr int32_t TILE_SIZE = 64;
constexpr int32_t TILE_COUNT = 12;

// The greeting and the legend: yellow text on a blue band, as GDI colours
// (0x00BBGGRR).
constexpr uint32_t TEXT_BACKGROUND_COLOR = 0xFF0000;
constexpr uint32_t TEXT_COLOR = 0x00FFFF;
