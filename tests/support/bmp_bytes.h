// A .bmp file or a packed DIB (an RT_BITMAP resource's data) from raw pixel values,
// and a temporary folder. Plain C++, for the Windows builds too.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace bmptest {

struct BmpShape {
    int32_t width = 1;
    int32_t height = 1;  // negative: rows stored top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;  // 0 for BI_RGB, 3 for BI_BITFIELDS
    uint32_t headerSize = 40;  // 40 or longer (108, 124)
    std::vector<uint32_t> palette = {};  // 0xXXRRGGBB: XX is the entry's reserved byte
    std::vector<uint32_t> masks = {};  // red, green, blue for BI_BITFIELDS
    int64_t colorsUsed = -1;  // -1: the palette's size
};

inline void Put(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// `pixels` holds width x |height| raw values, top row first: palette indices
// for 1 to 8 bits, the 16-bit word, 0x00RRGGBB for 24 bits, the 32-bit word.
inline std::vector<uint8_t> BuildBmp(
    const BmpShape& shape, const std::vector<uint32_t>& pixels, bool withFileHeader)
{
    const uint32_t rows = static_cast<uint32_t>(std::abs(int64_t{shape.height}));
    const size_t stride = (static_cast<size_t>(shape.width) * shape.bitCount + 31) / 32 * 4;
    const size_t h = withFileHeader ? 14 : 0;
    // Masks follow a 40-byte header or sit inside a longer one: 40 bytes in, either way.
    const size_t tableStart
        = h + shape.headerSize + (shape.compression == 3 && shape.headerSize == 40 ? 12 : 0);
    const size_t pixelStart = tableStart + shape.palette.size() * 4;
    std::vector<uint8_t> out(pixelStart + stride * rows, 0);
    if (withFileHeader) {
        Put(out, 0, 'B' | 'M' << 8, 2);
        Put(out, 2, static_cast<uint32_t>(out.size()), 4);
        Put(out, 10, static_cast<uint32_t>(pixelStart), 4);
    }
    Put(out, h, shape.headerSize, 4);
    Put(out, h + 4, static_cast<uint32_t>(shape.width), 4);
    Put(out, h + 8, static_cast<uint32_t>(shape.height), 4);
    Put(out, h + 12, 1, 2);
    Put(out, h + 14, shape.bitCount, 2);
    Put(out, h + 16, shape.compression, 4);
    Put(out, h + 20, static_cast<uint32_t>(stride * rows), 4);
    const int64_t used
        = shape.colorsUsed >= 0 ? shape.colorsUsed : static_cast<int64_t>(shape.palette.size());
    Put(out, h + 32, static_cast<uint32_t>(used), 4);
    for (size_t i = 0; i < shape.masks.size() && i < 3; ++i)
        Put(out, h + 40 + 4 * i, shape.masks[i], 4);
    for (size_t i = 0; i < shape.palette.size(); ++i)
        Put(out, tableStart + i * 4, shape.palette[i], 4);
    for (uint32_t y = 0; y < rows; ++y) {
        // Bottom-up files store the picture's last row first.
        const size_t row = pixelStart + (shape.height < 0 ? y : rows - 1 - y) * stride;
        for (int32_t x = 0; x < shape.width; ++x) {
            const uint32_t value = pixels[static_cast<size_t>(y) * shape.width + x];
            if (shape.bitCount < 8) {
                const int perByte = 8 / shape.bitCount;
                const int shift = (perByte - 1 - x % perByte) * shape.bitCount;
                out[row + x / perByte]
                    |= static_cast<uint8_t>((value & 0xFF >> (8 - shape.bitCount)) << shift);
            } else {
                Put(out, row + static_cast<size_t>(x) * shape.bitCount / 8, value,
                    shape.bitCount / 8);
            }
        }
    }
    return out;
}

// A picture of the given size from value(x, y), as BuildBmp takes it.
inline std::vector<uint32_t> PixelsOf(
    int width, int height, const std::function<uint32_t(int, int)>& value)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(value(x, y));
    return pixels;
}

// A 24-bit bottom-up picture from rgb(x, y) = 0x00RRGGBB.
inline std::vector<uint8_t> Bmp24(
    int width, int height, const std::function<uint32_t(int, int)>& rgb, bool withFileHeader)
{
    return BuildBmp({width, height}, PixelsOf(width, height, rgb), withFileHeader);
}

// A folder of its own for the running test, removed by its destructor.
struct TempFolder {
    std::filesystem::path path;

    TempFolder()
        : path(std::filesystem::temp_directory_path()
            / ("tilescroll_test_" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return file;
    }
};

}  // namespace bmptest
