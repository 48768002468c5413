// Run-length encoded pixel data (BI_RLE8, BI_RLE4) decoded into colours, for
// the BMP reader.
#pragma once

#include <cstdint>
#include <span>

namespace layer {

// Decodes `length` bytes of codes (the header's image size) into `pixels`,
// width x rows, top row first, each the entry of `colors` (256 of them) that
// its code names; `pixels` starts as colors[0], the colour of every pixel no
// code reaches. Codes count lines from the bottom. Bytes past the end of
// `codes` read as 0, as the platform's loader reads the zeros after a file
// whose image size claims more than it holds.
void DecodeRunLength(std::span<const uint8_t> codes, uint64_t length, bool fourBit, int64_t width,
    int64_t rows, std::span<const uint32_t, 256> colors, std::span<uint32_t> pixels);

}  // namespace layer
