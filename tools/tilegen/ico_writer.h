// Writes the sizes of one icon as a Windows .ico file. Sizes below 256 are
// 32-bit DIBs with their AND mask, which every loader reads; 256 is stored as
// PNG, as Windows has done for that size since Vista (a DIB would be 256 KiB).
#pragma once

#include "icon_image.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tilegen {

constexpr int ICO_PNG_FROM_SIZE = 256;

std::vector<uint8_t> EncodeIco(std::span<const IconImage> sizes);

}  // namespace tilegen
