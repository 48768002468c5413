// The layer's one BMP reader: bytes in, pixels out. It serves LoadImageA for
// .bmp files and for RT_BITMAP resources, and refuses whatever it cannot read
// safely instead of guessing. No state of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace layer {

struct BmpImage {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 0;  // as stored in the bytes read
    std::vector<uint32_t> pixels;  // rows top-down, each pixel 0x00RRGGBB

    uint32_t At(int32_t x, int32_t y) const
    {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x];
    }
};

enum class BmpContainer {
    File,  // a .bmp file: the 14-byte file header, then the info header
    PackedDib,  // a resource: the info header, colour masks, table and pixels back to back
};

struct BmpResult {
    std::optional<BmpImage> image;
    const char* failure = nullptr;  // why there is no image, in a few words
};

// The largest bitmap the layer makes, read from BMP bytes or created empty:
// larger ones are refused before anything is allocated.
constexpr int32_t MAX_BITMAP_SIDE = 16384;
constexpr int64_t MAX_BITMAP_PIXELS = int64_t{64} * 1024 * 1024;

BmpResult DecodeBmp(std::span<const uint8_t> bytes, BmpContainer container);

}  // namespace layer
