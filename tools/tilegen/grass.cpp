#include "grass.h"

#include "periodic_noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tilegen {

TileImage DrawGrass(uint64_t seed)
{
    // Every octave's period divides 64, so the field wraps on the tile's own
    // size and neighbouring grass cells read as one lawn. The middle periods
    // carry most of the weight: patches a few pixels across.
    constexpr NoiseOctave octaves[] = {{32, 0.35}, {16, 0.6}, {8, 0.9}, {4, 0.85}, {2, 0.45}};

    std::vector<double> field(TILE_SIZE * TILE_SIZE);
    for (int y = 0; y < TILE_SIZE; ++y) {
        for (int x = 0; x < TILE_SIZE; ++x) {
            // A touch of per-pixel grain: blades, not paint. Any per-pixel
            // value tiles, since the grid itself repeats every 64 pixels.
            const double grain = HashUnit(seed ^ 0x6B1ADE, x, y) - 0.5;
            field[y * TILE_SIZE + x] = PeriodicFractalNoise(seed, octaves, x, y) + 0.2 * grain;
        }
    }

    double mean = 0.0;
    for (double v : field) {
        mean += v;
    }
    mean /= static_cast<double>(field.size());
    const auto [low, high] = std::minmax_element(field.begin(), field.end());

    // Centre the field on the mean green and stretch it as far as the
    // tighter side allows, so the extremes stay inside the range.
    const double scale = std::min((GRASS_GREEN_MAX - GRASS_GREEN_MEAN) / (*high - mean),
        (GRASS_GREEN_MEAN - GRASS_GREEN_MIN) / (mean - *low));

    TileImage image;
    for (int i = 0; i < TILE_SIZE * TILE_SIZE; ++i) {
        const double green = GRASS_GREEN_MEAN + scale * (field[i] - mean);
        const long rounded
            = std::lround(std::clamp(green, double(GRASS_GREEN_MIN), double(GRASS_GREEN_MAX)));
        image.pixels[i] = Rgb{0, static_cast<uint8_t>(rounded), 0};
    }
    return image;
}

}  // namespace tilegen
