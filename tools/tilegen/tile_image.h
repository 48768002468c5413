// One 64 x 64 true-colour tile picture, addressed from its top-left corner.
#pragma once

#include <array>
#include <cstdint>

namespace tilegen {

constexpr int TILE_SIZE = 64;

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb WHITE{255, 255, 255};
constexpr Rgb YELLOW{255, 255, 0};

struct TileImage {
    std::array<Rgb, TILE_SIZE * TILE_SIZE> pixels{};

    Rgb& at(int x, int y)
    {
        return pixels[y * TILE_SIZE + x];
    }
    const Rgb& at(int x, int y) const
    {
        return pixels[y * TILE_SIZE + x];
    }
};

}  // namespace tilegen
