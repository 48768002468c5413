// Writes a tile as the 24-bit bottom-up BMP file that the resource script
// embeds: file header, BITMAPINFOHEADER, pixels, nothing else.
#pragma once

#include "tile_image.h"

#include <filesystem>
#include <vector>

namespace tilegen {

constexpr int BMP_FILE_HEADER_SIZE = 14;
constexpr int BMP_INFO_HEADER_SIZE = 40;
constexpr int BMP_ROW_BYTES = TILE_SIZE * 3;  // 192, already a multiple of 4
constexpr int BMP_PIXEL_BYTES = BMP_ROW_BYTES * TILE_SIZE;
constexpr int BMP_PELS_PER_METRE = 2834;  // 72 dpi

std::vector<uint8_t> EncodeBmp(const TileImage& image);
void WriteBmp(const std::filesystem::path& path, const TileImage& image);

}  // namespace tilegen
