// The BMP reader alone: what it decodes, and what it refuses without reading
// past the bytes it is given.
#include "platform/layer/bmp_reader.h"
#include "support/bmp_bytes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using bmptest::BmpShape;
using bmptest::BuildBmp;
using layer::BmpContainer;
using layer::DecodeBmp;

struct DecodeCase {
    std::string name;
    BmpShape shape;
    std::vector<uint32_t> raw;  // stored values, top row first
    std::vector<uint32_t> expected;  // 0x00RRGGBB, top row first
};

std::vector<DecodeCase> DecodeCases()
{
    const std::vector<uint32_t> two = {0x112233, 0xAABBCC};
    std::vector<uint32_t> coreTable = {0x0000FF, 0x00FF00, 0xFF0000};
    coreTable.resize(256);  // a core header's table always has 2^bits entries
    return {
        // 10 columns cross a byte boundary and leave padding in the row.
        {"OneBit", {10, 1, 1, 0, 40, two, {}, -1}, {1, 0, 0, 1, 1, 0, 1, 0, 0, 1},
            {two[1], two[0], two[0], two[1], two[1], two[0], two[1], two[0], two[0], two[1]}},
        // An index past a short table reads as black.
        {"FourBitShortTable", {3, 2, 4, 0, 40, {0xFF0000, 0x00FF00, 0x0000FF}, {}, -1},
            {2, 0, 5, 1, 1, 2}, {0x0000FF, 0xFF0000, 0x000000, 0x00FF00, 0x00FF00, 0x0000FF}},
        // Plain 16-bit pixels are 5-5-5; five bits widen by repeating.
        {"SixteenBitRgb555", {4, 1, 16, 0, 40, {}, {}, -1}, {0x7C00, 0x03E0, 0x001F, 0x4210},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x848484}},
        {"SixteenBitBitfieldsV4Header", {2, 1, 16, 3, 108, {}, {0xF800, 0x07E0, 0x001F}, -1},
            {0x07E0, 0x8410}, {0x00FF00, 0x848284}},
        {"TwentyFourBitTopDownV5Header", {2, -2, 24, 0, 124, {}, {}, -1},
            {0x102030, 0x405060, 0x708090, 0xA0B0C0}, {0x102030, 0x405060, 0x708090, 0xA0B0C0}},
        // Red in the low byte: the masks, not the byte order, place it.
        {"ThirtyTwoBitBitfields", {2, 1, 32, 3, 40, {}, {0x000000FF, 0x0000FF00, 0x00FF0000}, -1},
            {0x000000FF, 0x00563412}, {0xFF0000, 0x123456}},
        {"CoreHeaderEightBit", {2, 2, 8, 0, 12, coreTable, {}, -1}, {0, 1, 2, 0},
            {0x0000FF, 0x00FF00, 0xFF0000, 0x0000FF}},
    };
}

class DecodeTest : public testing::TestWithParam<std::tuple<DecodeCase, BmpContainer>> { };

TEST_P(DecodeTest, GivesThePixels)
{
    const auto& [c, container] = GetParam();
    const auto bytes = BuildBmp(c.shape, c.raw, container == BmpContainer::File);
    const layer::BmpResult result = DecodeBmp(bytes, container);
    ASSERT_TRUE(result.image.has_value()) << result.failure;
    EXPECT_EQ(result.image->width, c.shape.width);
    EXPECT_EQ(result.image->height, std::abs(c.shape.height));
    EXPECT_EQ(result.image->pixels, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeTest,
    testing::Combine(testing::ValuesIn(DecodeCases()),
        testing::Values(BmpContainer::File, BmpContainer::PackedDib)),
    [](const auto& info) {
        return std::get<0>(info.param).name
            + (std::get<1>(info.param) == BmpContainer::File ? "File" : "Dib");
    });

// Byte by byte, independent of the builder above: the first stored row is the
// bottom of the picture, blue comes first, and 1-bit pixels start at the
// high bit.
TEST(BmpReaderTest, HandMadeFilesReadInTheRightOrder)
{
    const std::vector<uint8_t> rgb = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // info header
        0xFF, 0, 0, 0, 0xFF, 0, 0, 0,  // bottom row: blue, green
        0, 0, 0xFF, 1, 2, 3, 0, 0,  // top row: red, (3, 2, 1)
    };
    const layer::BmpResult a = DecodeBmp(rgb, BmpContainer::File);
    ASSERT_TRUE(a.image.has_value()) << a.failure;
    EXPECT_EQ(a.image->pixels, (std::vector<uint32_t>{0xFF0000, 0x030201, 0x0000FF, 0x00FF00}));

    const std::vector<uint8_t> mono = {
        40,
        0,
        0,
        0,
        8,
        0,
        0,
        0,
        1,
        0,
        0,
        0,
        1,
        0,
        1,
        0,
        0,
        0,
        0,
        0,
        4,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        2,
        0,
        0,
        0,
        0,
        0,
        0,
        0,  // info header, two colours
        0,
        0,
        0,
        0,
        0xFF,
        0xFF,
        0xFF,
        0,
        0b10010000,
        0,
        0,
        0,
    };
    const layer::BmpResult b = DecodeBmp(mono, BmpContainer::PackedDib);
    ASSERT_TRUE(b.image.has_value()) << b.failure;
    EXPECT_EQ(b.image->pixels, (std::vector<uint32_t>{0xFFFFFF, 0, 0, 0xFFFFFF, 0, 0, 0, 0}));
}

// ---- Refusals ------------------------------------------------------------

struct Patch {
    size_t at;  // file offset: file header 0..13 (bfOffBits at 10), info header from 14
    int bytes;
    uint32_t value;
};

struct Spoil {
    std::string name;
    std::vector<Patch> patches;  // applied to an 8-bit 4 x 3 file with 3 colours
};

std::vector<Spoil> Spoils()
{
    return {
        {"WrongMagic", {{0, 1, 'M'}}},
        {"HeaderSizeZero", {{14, 4, 0}}},
        {"HeaderSize64", {{14, 4, 64}}},
        {"HeaderSizeHuge", {{14, 4, 0xFFFFFFF0}}},
        {"WidthZero", {{18, 4, 0}}},
        {"WidthNegative", {{18, 4, static_cast<uint32_t>(-4)}}},
        {"HeightZero", {{22, 4, 0}}},
        {"HeightMostNegative", {{22, 4, 0x80000000u}}},
        {"WidthAboveCap", {{18, 4, 16385}}},
        {"TopDownHeightAboveCap", {{22, 4, static_cast<uint32_t>(-16385)}}},
        {"PixelCountAboveCap", {{18, 4, 16384}, {22, 4, 16384}}},
        // Row and image byte counts that overflow 32 and 64 bits.
        {"WidthMaxAt32Bits", {{18, 4, 0x7FFFFFFF}, {28, 2, 32}}},
        {"BothMax", {{18, 4, 0x7FFFFFFF}, {22, 4, 0x7FFFFFFF}}},
        {"SizeLargerThanData", {{18, 4, 4000}, {22, 4, 4000}}},
        {"PlanesTwo", {{26, 2, 2}}},
        {"BitCountTwo", {{28, 2, 2}}},
        {"BitCount64", {{28, 2, 64}}},
        {"Rle8", {{30, 4, 1}}},
        {"Rle4", {{28, 2, 4}, {30, 4, 2}}},
        {"Png", {{30, 4, 5}}},
        {"BitfieldsOnEightBit", {{30, 4, 3}}},
        {"ColorsUsedHuge", {{46, 4, 0xFFFFFFFF}}},
        {"ColorsUsedPastData", {{46, 4, 256}}},
        {"PixelOffsetPastEnd", {{10, 4, 79}}},
        {"PixelOffsetHuge", {{10, 4, 0xFFFFFFFF}}},
        {"PixelOffsetIntoColourTable", {{10, 4, 58}}},
        {"PixelOffsetLeavesTooFewBytes", {{10, 4, 70}}},
    };
}

class RefusalTest : public testing::TestWithParam<Spoil> { };

TEST_P(RefusalTest, IsRefused)
{
    // 14 + 40 + 3 x 4 = 66 bytes of headers and table, then 3 rows of 4.
    std::vector<uint8_t> bytes
        = BuildBmp({4, 3, 8, 0, 40, {1, 2, 3}, {}, -1}, std::vector<uint32_t>(12, 1), true);
    ASSERT_EQ(bytes.size(), 78u);
    ASSERT_TRUE(DecodeBmp(bytes, BmpContainer::File).image.has_value());
    for (const Patch& p : GetParam().patches)
        for (int i = 0; i < p.bytes; ++i)
            bytes[p.at + i] = static_cast<uint8_t>(p.value >> (8 * i));
    const layer::BmpResult result = DecodeBmp(bytes, BmpContainer::File);
    EXPECT_FALSE(result.image.has_value());
    EXPECT_NE(result.failure, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Spoiled, RefusalTest, testing::ValuesIn(Spoils()),
    [](const auto& info) { return info.param.name; });

// Complete data that still cannot be read without guessing.
TEST(BmpReaderTest, UnusableMasksAndColourCountsAreRefused)
{
    const BmpShape shapes[] = {
        {2, 1, 16, 3, 40, {}, {0xF0F0, 0x0F00, 0x000F}, -1},  // a gap in a mask
        {2, 1, 16, 3, 40, {}, {0x1F0000, 0x07E0, 0x1F}, -1},  // past 16 bits
        {2, 1, 24, 3, 40, {}, {0xFF0000, 0xFF00, 0xFF}, -1},  // masks on 24 bits
        {2, 1, 1, 0, 40, {0x000000, 0xFFFFFF, 0xFF0000}, {}, -1},  // 3 colours at 1 bit
    };
    for (const BmpShape& shape : shapes)
        EXPECT_FALSE(
            DecodeBmp(BuildBmp(shape, {0, 0}, false), BmpContainer::PackedDib).image.has_value())
            << shape.bitCount << " bits";
}

// Cut short anywhere, in a header, the masks, the table or the pixels: the
// sanitizer build shows that nothing past the end is read.
TEST(BmpReaderTest, EveryTruncationIsRefused)
{
    struct Layout {
        BmpShape shape;
        BmpContainer container;
    };
    const Layout layouts[] = {
        {{3, 2, 8, 0, 40, {1, 2, 3}, {}, -1}, BmpContainer::File},
        {{3, 2, 16, 3, 40, {}, {0xF800, 0x7E0, 0x1F}, -1}, BmpContainer::File},
        {{3, -2, 24, 0, 124, {}, {}, -1}, BmpContainer::PackedDib},
        {{5, 2, 4, 0, 12, std::vector<uint32_t>(16, 7), {}, -1}, BmpContainer::PackedDib},
    };
    for (const Layout& l : layouts) {
        const auto bytes
            = BuildBmp(l.shape, std::vector<uint32_t>(6 + 4, 1), l.container == BmpContainer::File);
        ASSERT_TRUE(DecodeBmp(bytes, l.container).image.has_value());
        for (size_t length = 0; length < bytes.size(); ++length) {
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
            EXPECT_FALSE(DecodeBmp(cut, l.container).image.has_value())
                << l.shape.bitCount << " bits cut to " << length;
        }
    }
}

}  // namespace
