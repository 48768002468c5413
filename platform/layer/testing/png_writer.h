// Saving 16-bit 5-6-5 pictures as PNG files. Internal.
#pragma once

#include <cstdint>
#include <string>

namespace layer {

// One 5-6-5 pixel as 8-bit red, green and blue, the high bits repeated into
// the low ones so that full intensity stays 255.
struct Rgb8 {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};
Rgb8 ExpandRgb565(uint16_t pixel);

// `height` rows of `width` pixels without padding. False on failure.
bool WritePng565(const uint16_t* pixels, int width, int height, const std::string& path);

}  // namespace layer
