// Device-independent bitmaps built in memory for the tests: as resource data
// (no file header) or as .bmp files in a temporary folder.
#pragma once

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testbmp {

typedef std::array<uint8_t, 4> ColorTableEntry;  // blue, green, red, reserved

inline void PutLE(std::vector<uint8_t>& bytes, size_t offset, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Info header, colour table and bottom-up pixel rows padded to 4 bytes.
// pixel(x, y) with y from the top is a colour table index below 16 bits per
// pixel and 0x00RRGGBB at 24.
inline std::vector<uint8_t> MakeDib(int width, int height, int bitCount,
    const std::vector<ColorTableEntry>& colorTable, const std::function<uint32_t(int, int)>& pixel,
    uint32_t clrUsed = 0)
{
    const size_t rowBytes = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    std::vector<uint8_t> bytes(40 + colorTable.size() * 4 + rowBytes * height, 0);
    PutLE(bytes, 0, 40, 4);
    PutLE(bytes, 4, static_cast<uint32_t>(width), 4);
    PutLE(bytes, 8, static_cast<uint32_t>(height), 4);
    PutLE(bytes, 12, 1, 2);
    PutLE(bytes, 14, static_cast<uint32_t>(bitCount), 2);
    PutLE(bytes, 20, static_cast<uint32_t>(rowBytes * height), 4);
    PutLE(bytes, 32, clrUsed, 4);
    size_t offset = 40;
    for (const ColorTableEntry& entry : colorTable) {
        for (uint8_t b : entry)
            bytes[offset++] = b;
    }
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;
        uint8_t* line = bytes.data() + offset + rowBytes * row;
        for (int x = 0; x < width; ++x) {
            const uint32_t value = pixel(x, y);
            if (bitCount == 24) {
                line[x * 3 + 0] = static_cast<uint8_t>(value);
                line[x * 3 + 1] = static_cast<uint8_t>(value >> 8);
                line[x * 3 + 2] = static_cast<uint8_t>(value >> 16);
            } else if (bitCount == 8) {
                line[x] = static_cast<uint8_t>(value);
            } else if (bitCount == 4) {
                line[x / 2] |= static_cast<uint8_t>((value & 0xF) << (x % 2 == 0 ? 4 : 0));
            }
        }
    }
    return bytes;
}

// A 24-bit picture.
inline std::vector<uint8_t> MakeDib24(
    int width, int height, const std::function<uint32_t(int, int)>& rgb)
{
    return MakeDib(width, height, 24, {}, rgb);
}

// The .bmp file of a DIB: the 14-byte file header in front.
inline std::vector<uint8_t> AsBmpFile(const std::vector<uint8_t>& dib)
{
    std::vector<uint8_t> bytes(14, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLE(bytes, 2, static_cast<uint32_t>(14 + dib.size()), 4);
    const uint32_t bitCount = dib[14] | dib[15] << 8;
    uint32_t clrUsed
        = dib[32] | dib[33] << 8 | dib[34] << 16 | static_cast<uint32_t>(dib[35]) << 24;
    if (clrUsed == 0 && bitCount <= 8)
        clrUsed = 1u << bitCount;
    PutLE(bytes, 10, 14 + 40 + 4 * clrUsed, 4);
    bytes.insert(bytes.end(), dib.begin(), dib.end());
    return bytes;
}

// A folder of its own for the running test, removed by its destructor.
struct TempFolder {
    std::filesystem::path path;

    TempFolder()
    {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        std::string name
            = std::string("tilescroll_") + test->test_suite_name() + "_" + test->name();
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    // Writes the bytes to a file of that name and gives its path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const std::string file = (path / name).string();
        FILE* out = std::fopen(file.c_str(), "wb");
        EXPECT_NE(out, nullptr) << file;
        if (out != nullptr) {
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
        }
        return file;
    }
};

}  // namespace testbmp
