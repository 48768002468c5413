// A square picture with transparency, any size: the program's icon at one of
// its sizes, addressed from its top-left corner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tilegen {

struct Rgba {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;  // 0 transparent .. 255 opaque, not premultiplied
};

struct IconImage {
    int size = 0;
    std::vector<Rgba> pixels;

    explicit IconImage(int side)
        : size(side)
        , pixels(static_cast<std::size_t>(side) * side)
    {
    }

    Rgba& at(int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * size + x];
    }
    const Rgba& at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * size + x];
    }
};

}  // namespace tilegen
