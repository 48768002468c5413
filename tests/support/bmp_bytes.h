// Builds BMP bytes for tests: a .bmp file or a packed DIB (an RT_BITMAP
// resource's data), from raw pixel values given top-down. Plain C++ only, so
// that it also serves the suites built for Windows.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace bmptest {

struct BmpSpec {
    int32_t width = 1;
    int32_t height = 1;  // negative: rows stored top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;  // BI_RGB
    uint32_t headerSize = 40;  // 12, 40, 108 or 124
    std::vector<uint32_t> palette;  // 0x00RRGGBB entries, written as the colour table
    std::vector<uint32_t> masks;  // red, green, blue for BI_BITFIELDS
    int64_t colorsUsed = -1;  // -1: the palette's size (0 when it has none)
};

inline void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

inline void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// `pixels` holds width x |height| raw values, top row first: palette indices
// for 1 to 8 bits, the 16-bit word, 0x00RRGGBB for 24 bits, the 32-bit word.
inline std::vector<uint8_t> BuildBmp(
    const BmpSpec& spec, const std::vector<uint32_t>& pixels, bool withFileHeader)
{
    const bool core = spec.headerSize == 12;
    const uint32_t rows = spec.height < 0 ? static_cast<uint32_t>(-int64_t{spec.height})
                                          : static_cast<uint32_t>(spec.height);
    const size_t stride = (static_cast<size_t>(spec.width) * spec.bitCount + 31) / 32 * 4;
    const size_t fileHeader = withFileHeader ? 14 : 0;
    const bool separateMasks = spec.compression == 3 && spec.headerSize == 40;
    const size_t entryBytes = core ? 3 : 4;
    const size_t tableStart = fileHeader + spec.headerSize + (separateMasks ? 12 : 0);
    const size_t pixelStart = tableStart + spec.palette.size() * entryBytes;
    std::vector<uint8_t> out(pixelStart + stride * rows, 0);

    if (withFileHeader) {
        out[0] = 'B';
        out[1] = 'M';
        Put32(out, 2, static_cast<uint32_t>(out.size()));
        Put32(out, 10, static_cast<uint32_t>(pixelStart));
    }
    const size_t h = fileHeader;
    Put32(out, h, spec.headerSize);
    if (core) {
        Put16(out, h + 4, static_cast<uint32_t>(spec.width));
        Put16(out, h + 6, static_cast<uint32_t>(spec.height));
        Put16(out, h + 8, 1);
        Put16(out, h + 10, spec.bitCount);
    } else {
        Put32(out, h + 4, static_cast<uint32_t>(spec.width));
        Put32(out, h + 8, static_cast<uint32_t>(spec.height));
        Put16(out, h + 12, 1);
        Put16(out, h + 14, spec.bitCount);
        Put32(out, h + 16, spec.compression);
        Put32(out, h + 20, static_cast<uint32_t>(stride * rows));
        Put32(out, h + 24, 2834);
        Put32(out, h + 28, 2834);
        const int64_t used
            = spec.colorsUsed >= 0 ? spec.colorsUsed : static_cast<int64_t>(spec.palette.size());
        Put32(out, h + 32, static_cast<uint32_t>(used));
        // Masks follow a 40-byte header, or sit inside a longer one; either
        // way they start 40 bytes after the header's start.
        for (size_t i = 0; i < spec.masks.size() && i < 3; ++i)
            Put32(out, h + 40 + 4 * i, spec.masks[i]);
    }
    for (size_t i = 0; i < spec.palette.size(); ++i) {
        const uint32_t color = spec.palette[i];
        const size_t at = tableStart + i * entryBytes;
        out[at] = static_cast<uint8_t>(color);  // blue
        out[at + 1] = static_cast<uint8_t>(color >> 8);  // green
        out[at + 2] = static_cast<uint8_t>(color >> 16);  // red
    }

    for (uint32_t y = 0; y < rows; ++y) {
        // Bottom-up files store the picture's last row first.
        const uint32_t storedRow = spec.height < 0 ? y : rows - 1 - y;
        const size_t row = pixelStart + storedRow * stride;
        for (int32_t x = 0; x < spec.width; ++x) {
            const uint32_t value = pixels[static_cast<size_t>(y) * spec.width + x];
            switch (spec.bitCount) {
            case 1:
                out[row + x / 8] |= static_cast<uint8_t>((value & 1) << (7 - x % 8));
                break;
            case 4:
                out[row + x / 2] |= static_cast<uint8_t>((value & 0xF) << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                out[row + x] = static_cast<uint8_t>(value);
                break;
            case 16:
                Put16(out, row + 2 * static_cast<size_t>(x), value);
                break;
            case 24:
                out[row + 3 * x] = static_cast<uint8_t>(value);
                out[row + 3 * x + 1] = static_cast<uint8_t>(value >> 8);
                out[row + 3 * x + 2] = static_cast<uint8_t>(value >> 16);
                break;
            default:
                Put32(out, row + 4 * static_cast<size_t>(x), value);
                break;
            }
        }
    }
    return out;
}

}  // namespace bmptest
