#include "icon.h"

#include "ico_writer.h"
#include "png_writer.h"
#include "write_file.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tilegen {

namespace {

constexpr int WINDOWS_SIZES[] = {16, 32, 48, 256};
constexpr int THEME_SIZES[] = {16, 24, 32, 48, 64, 128, 256};

// Corner radius as a fraction of the side, and the grid of samples a pixel
// takes to find how much of it lies inside the rounded square.
constexpr int CORNER_DIVISOR = 8;
constexpr int COVERAGE_SAMPLES = 8;

// Each icon pixel is the average of the tile pixels under it, weighted by
// how much of each it covers: exact integer sums, so every machine agrees.
// Enlarging, that is the nearest tile pixel.
Rgba Resample(const TileImage& tile, int size, int x, int y)
{
    // In units of 1/size of a tile pixel, icon pixel x spans
    // [x * TILE_SIZE, (x + 1) * TILE_SIZE) and tile pixel s spans [s * size, (s + 1) * size).
    uint64_t red = 0, green = 0, blue = 0;
    for (int ty = y * TILE_SIZE / size; ty * size < (y + 1) * TILE_SIZE; ++ty) {
        const int overlapY
            = std::min((ty + 1) * size, (y + 1) * TILE_SIZE) - std::max(ty * size, y * TILE_SIZE);
        for (int tx = x * TILE_SIZE / size; tx * size < (x + 1) * TILE_SIZE; ++tx) {
            const int overlapX = std::min((tx + 1) * size, (x + 1) * TILE_SIZE)
                - std::max(tx * size, x * TILE_SIZE);
            const uint64_t weight = static_cast<uint64_t>(overlapX) * overlapY;
            const Rgb& pixel = tile.at(tx, ty);
            red += weight * pixel.red;
            green += weight * pixel.green;
            blue += weight * pixel.blue;
        }
    }
    const uint64_t total = static_cast<uint64_t>(TILE_SIZE) * TILE_SIZE;
    return {static_cast<uint8_t>((red + total / 2) / total),
        static_cast<uint8_t>((green + total / 2) / total),
        static_cast<uint8_t>((blue + total / 2) / total), 255};
}

// How much of pixel (x, y) lies inside a square of `size` whose corners are
// rounded with `radius`, 0 to 255, from a grid of samples.
uint8_t RoundedSquareCoverage(int size, int radius, int x, int y)
{
    // Sample centres in units of 1/(2 * COVERAGE_SAMPLES) of a pixel.
    constexpr int SCALE = 2 * COVERAGE_SAMPLES;
    const int64_t r = static_cast<int64_t>(radius) * SCALE;
    int inside = 0;
    for (int sy = 0; sy < COVERAGE_SAMPLES; ++sy) {
        for (int sx = 0; sx < COVERAGE_SAMPLES; ++sx) {
            const int64_t px = static_cast<int64_t>(x) * SCALE + 2 * sx + 1;
            const int64_t py = static_cast<int64_t>(y) * SCALE + 2 * sy + 1;
            // Distance past the corner circle's centre, along each axis.
            const int64_t dx = std::max<int64_t>({0, r - px, px - (size * SCALE - r)});
            const int64_t dy = std::max<int64_t>({0, r - py, py - (size * SCALE - r)});
            inside += dx * dx + dy * dy <= r * r;
        }
    }
    constexpr int all = COVERAGE_SAMPLES * COVERAGE_SAMPLES;
    return static_cast<uint8_t>((inside * 255 + all / 2) / all);
}

}  // namespace

IconImage DrawIcon(const TileImage& house, int size)
{
    IconImage icon(size);
    const int radius = size / CORNER_DIVISOR;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgba pixel = Resample(house, size, x, y);
            pixel.alpha = RoundedSquareCoverage(size, radius, x, y);
            icon.at(x, y) = pixel;
        }
    }
    return icon;
}

void WriteIcons(const std::filesystem::path& folder, const TileImage& house)
{
    std::filesystem::create_directories(folder);
    std::vector<IconImage> windows;
    for (int size : WINDOWS_SIZES) {
        windows.push_back(DrawIcon(house, size));
    }
    WriteFile(folder / "tilescroll.ico", EncodeIco(windows));
    for (int size : THEME_SIZES) {
        WriteFile(folder / ("tilescroll-" + std::to_string(size) + ".png"),
            EncodePng(DrawIcon(house, size)));
    }
}

}  // namespace tilegen
