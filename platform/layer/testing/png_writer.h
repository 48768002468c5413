// Saving 16-bit 5-6-5 pictures as PNG files. Internal.
#pragma once

#include <cstdint>
#include <string>

namespace layer {

// `height` rows of `width` pixels without padding. False on failure.
bool WritePng565(const uint16_t* pixels, int width, int height, const std::string& path);

}  // namespace layer
