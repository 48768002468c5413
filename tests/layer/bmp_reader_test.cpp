// The BMP reader alone: what it decodes, and what it refuses without reading
// past the bytes it is given.
#include "platform/layer/bmp_reader.h"
#include "support/bmp_bytes.h"

#include <climits>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using bmptest::BmpSpec;
using bmptest::BuildBmp;
using layer::BmpContainer;
using layer::DecodeBmp;

struct DecodeCase {
    std::string name;
    BmpSpec spec;
    std::vector<uint32_t> raw;  // top-down raw pixel values
    std::vector<uint32_t> expected;  // top-down 0x00RRGGBB
};

// Core headers have no colour count: the table always has 2^bits entries.
std::vector<uint32_t> FullTable(std::vector<uint32_t> first)
{
    first.resize(256, 0);
    return first;
}

std::vector<DecodeCase> DecodeCases()
{
    const std::vector<uint32_t> two = {0x112233, 0xAABBCC};
    std::vector<uint32_t> sixteen;
    for (uint32_t i = 0; i < 16; ++i)
        sixteen.push_back(i * 0x100000 + (15 - i) * 0x10 + 0x000801);
    return {
        // 10 columns cross a byte boundary and leave padding in the row.
        {"OneBit", {10, 2, 1, 0, 40, two, {}, -1},
            {1, 0, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0},
            {0xAABBCC, 0x112233, 0x112233, 0xAABBCC, 0xAABBCC, 0x112233, 0xAABBCC, 0x112233,
                0x112233, 0xAABBCC, 0x112233, 0xAABBCC, 0xAABBCC, 0xAABBCC, 0xAABBCC, 0xAABBCC,
                0xAABBCC, 0xAABBCC, 0xAABBCC, 0x112233}},
        {"FourBitFullTable", {3, 2, 4, 0, 40, sixteen, {}, 0}, {0, 15, 7, 8, 1, 14},
            {sixteen[0], sixteen[15], sixteen[7], sixteen[8], sixteen[1], sixteen[14]}},
        // An index past a short table reads as black.
        {"FourBitShortTable", {3, 1, 4, 0, 40, {0xFF0000, 0x00FF00, 0x0000FF}, {}, -1}, {2, 0, 5},
            {0x0000FF, 0xFF0000, 0x000000}},
        {"EightBit", {3, 2, 8, 0, 40, {0x010203, 0x404040, 0xFF8000, 0x0080FF}, {}, -1},
            {3, 2, 1, 0, 3, 2}, {0x0080FF, 0xFF8000, 0x404040, 0x010203, 0x0080FF, 0xFF8000}},
        {"EightBitTopDown", {2, -2, 8, 0, 40, {0x000000, 0xFFFFFF, 0xFF0000}, {}, -1}, {0, 1, 2, 1},
            {0x000000, 0xFFFFFF, 0xFF0000, 0xFFFFFF}},
        // Plain 16-bit pixels are 5-5-5; five bits widen by repeating.
        {"SixteenBitRgb555", {4, 1, 16, 0, 40, {}, {}, -1}, {0x7C00, 0x03E0, 0x001F, 0x4210},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x848484}},
        {"SixteenBitBitfields565", {4, 1, 16, 3, 40, {}, {0xF800, 0x07E0, 0x001F}, -1},
            {0xF800, 0x07E0, 0x001F, 0x8410}, {0xFF0000, 0x00FF00, 0x0000FF, 0x848284}},
        {"SixteenBitBitfieldsV4Header", {2, 1, 16, 3, 108, {}, {0xF800, 0x07E0, 0x001F}, -1},
            {0x07E0, 0xF81F}, {0x00FF00, 0xFF00FF}},
        // 3 pixels of 3 bytes leave 3 padding bytes per row.
        {"TwentyFourBit", {3, 2, 24, 0, 40, {}, {}, -1},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0x000000, 0xFFFFFF},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0x000000, 0xFFFFFF}},
        {"TwentyFourBitTopDownV5Header", {2, -2, 24, 0, 124, {}, {}, -1},
            {0x102030, 0x405060, 0x708090, 0xA0B0C0}, {0x102030, 0x405060, 0x708090, 0xA0B0C0}},
        // The fourth byte of a plain 32-bit pixel is not colour.
        {"ThirtyTwoBit", {2, 1, 32, 0, 40, {}, {}, -1}, {0xFF123456, 0x7F00FF00},
            {0x123456, 0x00FF00}},
        // Red in the low byte: the masks, not the byte order, place it.
        {"ThirtyTwoBitBitfields", {2, 1, 32, 3, 40, {}, {0x000000FF, 0x0000FF00, 0x00FF0000}, -1},
            {0x000000FF, 0x00563412}, {0xFF0000, 0x123456}},
        {"CoreHeaderEightBit", {2, 2, 8, 0, 12, FullTable({0x0000FF, 0x00FF00, 0xFF0000}), {}, -1},
            {0, 1, 2, 0}, {0x0000FF, 0x00FF00, 0xFF0000, 0x0000FF}},
    };
}

class DecodeTest : public testing::TestWithParam<std::tuple<DecodeCase, BmpContainer>> { };

TEST_P(DecodeTest, GivesThePixels)
{
    const auto& [c, container] = GetParam();
    const std::vector<uint8_t> bytes = BuildBmp(c.spec, c.raw, container == BmpContainer::File);
    const layer::BmpResult result = DecodeBmp(bytes, container);
    ASSERT_TRUE(result.image.has_value()) << result.failure;
    EXPECT_EQ(result.image->width, c.spec.width);
    EXPECT_EQ(result.image->height, c.spec.height < 0 ? -c.spec.height : c.spec.height);
    EXPECT_EQ(result.image->pixels, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeTest,
    testing::Combine(testing::ValuesIn(DecodeCases()),
        testing::Values(BmpContainer::File, BmpContainer::PackedDib)),
    [](const auto& info) {
        return std::get<0>(info.param).name
            + (std::get<1>(info.param) == BmpContainer::File ? "File" : "Dib");
    });

// Written out byte by byte, independent of the test's builder: the first
// stored row is the bottom of the picture, and blue comes first.
TEST(BmpReaderTest, StoredRowsAndByteOrderOfAHandMadeFile)
{
    const std::vector<uint8_t> bytes = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // info header
        0xFF, 0, 0, 0, 0xFF, 0, 0, 0,  // bottom row: blue, green, padding
        0, 0, 0xFF, 1, 2, 3, 0, 0,  // top row: red, (3, 2, 1), padding
    };
    const layer::BmpResult result = DecodeBmp(bytes, BmpContainer::File);
    ASSERT_TRUE(result.image.has_value()) << result.failure;
    EXPECT_EQ(
        result.image->pixels, (std::vector<uint32_t>{0xFF0000, 0x030201, 0x0000FF, 0x00FF00}));
}

TEST(BmpReaderTest, OneBitPixelsAreReadFromTheHighBitFirst)
{
    const std::vector<uint8_t> bytes = {
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
        0,  // black, white
        0b10010000,
        0,
        0,
        0,
    };
    const layer::BmpResult result = DecodeBmp(bytes, BmpContainer::PackedDib);
    ASSERT_TRUE(result.image.has_value()) << result.failure;
    EXPECT_EQ(result.image->pixels, (std::vector<uint32_t>{0xFFFFFF, 0, 0, 0xFFFFFF, 0, 0, 0, 0}));
}

// ---- Refusals -----------------------------------------------------------------

// A valid file to spoil: 8-bit, 4 x 3, three colours, 40-byte header.
std::vector<uint8_t> GoodFile()
{
    return BuildBmp({4, 3, 8, 0, 40, {0x111111, 0x222222, 0x333333}, {}, -1},
        std::vector<uint32_t>(12, 1), true);
}

void Set32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bmptest::Put32(bytes, at, value);
}

void Set16(std::vector<uint8_t>& bytes, size_t at, uint16_t value)
{
    bmptest::Put16(bytes, at, value);
}

struct Spoil {
    std::string name;
    std::function<void(std::vector<uint8_t>&)> apply;  // on GoodFile()
};

// Offsets: file header 0..13 (bfOffBits at 10), info header from 14.
std::vector<Spoil> Spoils()
{
    return {
        {"WrongMagic", [](auto& b) { b[0] = 'M'; }},
        {"HeaderSizeZero", [](auto& b) { Set32(b, 14, 0); }},
        {"HeaderSize39", [](auto& b) { Set32(b, 14, 39); }},
        {"HeaderSize64", [](auto& b) { Set32(b, 14, 64); }},
        {"HeaderSizeHuge", [](auto& b) { Set32(b, 14, 0xFFFFFFF0); }},
        {"WidthZero", [](auto& b) { Set32(b, 18, 0); }},
        {"WidthNegative", [](auto& b) { Set32(b, 18, static_cast<uint32_t>(-4)); }},
        {"HeightZero", [](auto& b) { Set32(b, 22, 0); }},
        {"HeightMostNegative", [](auto& b) { Set32(b, 22, 0x80000000u); }},
        {"WidthAboveCap", [](auto& b) { Set32(b, 18, 16385); }},
        {"TopDownHeightAboveCap", [](auto& b) { Set32(b, 22, static_cast<uint32_t>(-16385)); }},
        {"PixelCountAboveCap",
            [](auto& b) {
                Set32(b, 18, 16384);
                Set32(b, 22, 16384);
            }},
        // Row bytes that overflow 32 bits (0x7FFFFFFF x 32 bits) and 64 bits
        // once multiplied by the height.
        {"WidthMax32Bit",
            [](auto& b) {
                Set32(b, 18, 0x7FFFFFFF);
                Set16(b, 28, 32);
            }},
        {"BothMax",
            [](auto& b) {
                Set32(b, 18, 0x7FFFFFFF);
                Set32(b, 22, 0x7FFFFFFF);
            }},
        {"SizeLargerThanData",
            [](auto& b) {
                Set32(b, 18, 4000);
                Set32(b, 22, 4000);
            }},
        {"PlanesZero", [](auto& b) { Set16(b, 26, 0); }},
        {"PlanesTwo", [](auto& b) { Set16(b, 26, 2); }},
        {"BitCountZero", [](auto& b) { Set16(b, 28, 0); }},
        {"BitCountTwo", [](auto& b) { Set16(b, 28, 2); }},
        {"BitCount64", [](auto& b) { Set16(b, 28, 64); }},
        {"Rle8", [](auto& b) { Set32(b, 30, 1); }},
        {"Rle4",
            [](auto& b) {
                Set16(b, 28, 4);
                Set32(b, 30, 2);
            }},
        {"Jpeg", [](auto& b) { Set32(b, 30, 4); }},
        {"Png", [](auto& b) { Set32(b, 30, 5); }},
        {"BitfieldsOnEightBit", [](auto& b) { Set32(b, 30, 3); }},
        {"ColorsUsedAboveDepth", [](auto& b) { Set32(b, 46, 257); }},
        {"ColorsUsedHuge", [](auto& b) { Set32(b, 46, 0xFFFFFFFF); }},
        // 256 entries declared: the table runs past the end of the file.
        {"ColorsUsedPastData", [](auto& b) { Set32(b, 46, 256); }},
        {"PixelOffsetPastEnd", [](auto& b) { Set32(b, 10, static_cast<uint32_t>(b.size() + 1)); }},
        {"PixelOffsetHuge", [](auto& b) { Set32(b, 10, 0xFFFFFFFF); }},
        {"PixelOffsetIntoHeader", [](auto& b) { Set32(b, 10, 20); }},
        {"PixelOffsetIntoColourTable", [](auto& b) { Set32(b, 10, 58); }},
        // Moving the pixels later leaves too few bytes for the rows.
        {"PixelOffsetLeavesTooFewBytes", [](auto& b) { Set32(b, 10, 54 + 12 + 4); }},
    };
}

class RefusalTest : public testing::TestWithParam<Spoil> { };

TEST_P(RefusalTest, IsRefused)
{
    std::vector<uint8_t> bytes = GoodFile();
    ASSERT_TRUE(DecodeBmp(bytes, BmpContainer::File).image.has_value());
    GetParam().apply(bytes);
    const layer::BmpResult result = DecodeBmp(bytes, BmpContainer::File);
    EXPECT_FALSE(result.image.has_value());
    EXPECT_NE(result.failure, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Spoiled, RefusalTest, testing::ValuesIn(Spoils()),
    [](const auto& info) { return info.param.name; });

struct MaskCase {
    std::string name;
    uint16_t bitCount;
    std::vector<uint32_t> masks;
};

class BadMaskTest : public testing::TestWithParam<MaskCase> { };

TEST_P(BadMaskTest, IsRefused)
{
    const MaskCase& c = GetParam();
    const std::vector<uint8_t> bytes
        = BuildBmp({2, 1, c.bitCount, 3, 40, {}, c.masks, -1}, {0, 0}, false);
    EXPECT_FALSE(DecodeBmp(bytes, BmpContainer::PackedDib).image.has_value());
}

INSTANTIATE_TEST_SUITE_P(Masks, BadMaskTest,
    testing::Values(MaskCase{"Gapped", 16, {0xF0F0, 0x0F00, 0x000F}},
        MaskCase{"PastSixteenBits", 16, {0x1F0000, 0x07E0, 0x1F}},
        MaskCase{"BitfieldsOn24Bit", 24, {0xFF0000, 0xFF00, 0xFF}}),
    [](const auto& info) { return info.param.name; });

// Cutting a file short anywhere, inside a header, the masks, the colour table
// or the pixels, is refused; the sanitizer build shows no read past the end.
struct TruncationCase {
    std::string name;
    BmpSpec spec;
    BmpContainer container;
};

class TruncationTest : public testing::TestWithParam<TruncationCase> { };

TEST_P(TruncationTest, EveryShorterLengthIsRefused)
{
    const TruncationCase& c = GetParam();
    const uint32_t count = static_cast<uint32_t>(c.spec.width)
        * static_cast<uint32_t>(c.spec.height < 0 ? -c.spec.height : c.spec.height);
    const std::vector<uint8_t> bytes
        = BuildBmp(c.spec, std::vector<uint32_t>(count, 1), c.container == BmpContainer::File);
    ASSERT_TRUE(DecodeBmp(bytes, c.container).image.has_value());
    for (size_t length = 0; length < bytes.size(); ++length) {
        // A copy of exactly that length, so the sanitizer sees its end.
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
        EXPECT_FALSE(DecodeBmp(cut, c.container).image.has_value()) << "length " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, TruncationTest,
    testing::Values(
        TruncationCase{"EightBitFile", {3, 2, 8, 0, 40, {1, 2, 3}, {}, -1}, BmpContainer::File},
        TruncationCase{"EightBitDib", {3, 2, 8, 0, 40, {1, 2, 3}, {}, -1}, BmpContainer::PackedDib},
        TruncationCase{
            "BitfieldsFile", {3, 2, 16, 3, 40, {}, {0xF800, 0x7E0, 0x1F}, -1}, BmpContainer::File},
        TruncationCase{"V5TopDownDib", {3, -2, 24, 0, 124, {}, {}, -1}, BmpContainer::PackedDib},
        TruncationCase{"CoreFourBitDib", {5, 2, 4, 0, 12, std::vector<uint32_t>(16, 7), {}, -1},
            BmpContainer::PackedDib}),
    [](const auto& info) { return info.param.name; });

// More colours than the depth can name is refused even when the table is
// all there, rather than guessing which entries the pixels mean.
TEST(BmpReaderTest, ColourCountAboveTheDepthIsRefused)
{
    const BmpSpec spec{8, 1, 1, 0, 40, {0x000000, 0xFFFFFF, 0xFF0000}, {}, -1};
    const std::vector<uint8_t> bytes = BuildBmp(spec, std::vector<uint32_t>(8, 1), false);
    EXPECT_FALSE(DecodeBmp(bytes, BmpContainer::PackedDib).image.has_value());
}

TEST(BmpReaderTest, EmptyInputIsRefusedInBothContainers)
{
    EXPECT_FALSE(DecodeBmp({}, BmpContainer::File).image.has_value());
    EXPECT_FALSE(DecodeBmp({}, BmpContainer::PackedDib).image.has_value());
}

}  // namespace
