// Every tile file is a 14-byte file header and then exactly the resource
// the program loads: a 40-byte BITMAPINFOHEADER and 64 bottom-up rows of
// 192 bytes, 12,328 bytes in all.
#include "art/tile_files.h"

#include <gtest/gtest.h>

namespace art {
namespace {

struct Field {
    const char* name;
    size_t offset;  // from the start of the file
    int bytes;
    int64_t value;  // compared as the field's signedness gives it
};

constexpr Field FILE_HEADER[] = {
    {"bfType", 0, 2, 0x4D42},  // "BM"
    {"bfSize", 2, 4, 12342}, {"bfReserved1", 6, 2, 0}, {"bfReserved2", 8, 2, 0},
    {"bfOffBits", 10, 4, 54},  // no colour table between headers and pixels
};

constexpr Field INFO_HEADER[] = {
    {"biSize", 14, 4, 40},
    {"biWidth", 18, 4, 64},
    {"biHeight", 22, 4, 64},  // positive: bottom-up
    {"biPlanes", 26, 2, 1},
    {"biBitCount", 28, 2, 24},
    {"biCompression", 30, 4, 0},
    {"biSizeImage", 34, 4, 12288},
    {"biXPelsPerMeter", 38, 4, 2834},
    {"biYPelsPerMeter", 42, 4, 2834},
    {"biClrUsed", 46, 4, 0},
    {"biClrImportant", 50, 4, 0},
};

int64_t Read(const std::vector<uint8_t>& bytes, const Field& field)
{
    if (field.bytes == 2) {
        return Le16(bytes, field.offset);
    }
    return static_cast<int32_t>(Le32(bytes, field.offset));
}

class TileBitmapFormat : public testing::TestWithParam<int> { };

TEST_P(TileBitmapFormat, IsAFileHeaderAndA12328ByteDib)
{
    const std::vector<uint8_t> bytes = ReadBytes(TileFile(GetParam()));
    ASSERT_EQ(bytes.size(), 14u + 12328u);
    for (const Field& field : FILE_HEADER) {
        EXPECT_EQ(Read(bytes, field), field.value) << field.name;
    }
    for (const Field& field : INFO_HEADER) {
        EXPECT_EQ(Read(bytes, field), field.value) << field.name;
    }
}

INSTANTIATE_TEST_SUITE_P(AllTiles, TileBitmapFormat, testing::Range(0, TILE_COUNT),
    [](const testing::TestParamInfo<int>& info) {
        return "TILE" + std::to_string(info.param + 1);
    });

}  // namespace
}  // namespace art
