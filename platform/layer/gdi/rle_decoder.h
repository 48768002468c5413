// Run-length encoded pixel data (BI_RLE8, BI_RLE4) decoded into palette
// indices, for the BMP reader.
#pragma once

#include <cstdint>
#include <span>

namespace layer {

// Decodes `length` bytes of codes (the header's image size) into `indices`,
// width x rows, top row first, all 0 on entry. Codes count lines from the
// bottom. Bytes past the end of `codes` read as 0, as the platform's loader
// reads the zeros after a file whose image size claims more than it holds.
void DecodeRunLength(std::span<const uint8_t> codes, uint64_t length, bool fourBit,
    int64_t width, int64_t rows, std::span<uint32_t> indices);

}  // namespace layer
