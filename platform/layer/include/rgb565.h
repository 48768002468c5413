// The display's 16-bit 5-6-5 pixel widened to 8 bits a channel, the one way
// every part of the layer does it (GDI reading pixels back, the PNG files,
// the page's canvas): the high bits repeated in the low ones, so that full
// intensity reads back as 255 and black as 0. The program never includes it.
#pragma once

#include <cstdint>

namespace layer {

struct Rgb8 {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

constexpr Rgb8 Widen565(uint16_t pixel)
{
    const unsigned r5 = pixel >> 11, g6 = (pixel >> 5) & 0x3F, b5 = pixel & 0x1F;
    return {static_cast<uint8_t>((r5 << 3) | (r5 >> 2)), static_cast<uint8_t>((g6 << 2) | (g6 >> 4)),
        static_cast<uint8_t>((b5 << 3) | (b5 >> 2))};
}

}  // namespace layer
