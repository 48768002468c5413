// Writes a picture as a PNG file: 8-bit RGBA, not interlaced, and no chunk
// beyond IHDR, IDAT and IEND (no time stamp), so the same picture gives the
// same bytes with the same zlib. Not the layer's libpng writer (for test
// frames): tilegen is a project of its own that links nothing of the layer,
// and needs RGBA bytes in memory to put inside the .ico.
#pragma once

#include "icon_image.h"

#include <cstdint>
#include <vector>

namespace tilegen {

std::vector<uint8_t> EncodePng(const IconImage& image);

}  // namespace tilegen
