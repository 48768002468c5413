#include "stone.h"

#include "periodic_noise.h"

#include <algorithm>
#include <cmath>

namespace tilegen {

namespace {

struct SquareShade {
    double mean;
    double slope;  // grey change per pixel towards the square's right edge
    double texture;
    int low;
    int high;
};

// Light squares catch the light towards their right edge, dark ones fall
// into shadow there: the board reads as slightly raised and sunken blocks.
constexpr SquareShade LIGHT{183.0, 1.1, 16.0, STONE_LIGHT_MIN, STONE_LIGHT_MAX};
constexpr SquareShade DARK{121.0, -0.8, 12.0, STONE_DARK_MIN, STONE_DARK_MAX};

}  // namespace

TileImage DrawStone(uint64_t seed)
{
    constexpr NoiseOctave mottle[] = {{8, 0.6}, {4, 0.8}, {2, 0.6}};
    constexpr int half = TILE_SIZE / 2;

    TileImage image;
    for (int y = 0; y < half; ++y) {
        for (int x = 0; x < TILE_SIZE; ++x) {
            const bool light = (x / STONE_SQUARE + y / STONE_SQUARE) % 2 == 0;
            const SquareShade& shade = light ? LIGHT : DARK;
            const double across = (x % STONE_SQUARE) - (STONE_SQUARE - 1) / 2.0;
            const double grain = HashUnit(seed ^ 0x5700E, x, y) - 0.5;
            const double grey = shade.mean + shade.slope * across
                + shade.texture * (PeriodicFractalNoise(seed, mottle, x, y) + 0.3 * grain);
            const auto value = static_cast<uint8_t>(
                std::lround(std::clamp(grey, double(shade.low), double(shade.high))));
            image.at(x, y) = Rgb{value, value, value};
        }
    }
    // The lower half repeats the upper one: the pattern only needs two rows
    // of squares, and an exact repeat keeps the tiling obvious.
    for (int y = half; y < TILE_SIZE; ++y) {
        for (int x = 0; x < TILE_SIZE; ++x) {
            image.at(x, y) = image.at(x, y - half);
        }
    }
    return image;
}

}  // namespace tilegen
