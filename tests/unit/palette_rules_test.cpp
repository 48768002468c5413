// The default ramp, the colour-table count, the pixel mask and the colour
// table's byte order.
#include "display/palette_rules.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

struct RampCase {
    int index;
    BYTE red, green, blue;
};

TEST(DefaultPalette, ListedEntriesAndNoFlags)
{
    PALETTEENTRY table[PALETTE_SIZE];
    std::memset(table, 0xAB, sizeof(table));  // every entry must be written
    BuildDefaultPalette(table);

    const RampCase cases[] = {{0, 0, 0, 0}, {255, 255, 255, 255}, {3, 0, 0, 255}, {28, 0, 255, 0},
        {224, 255, 0, 0}, {1, 0, 0, 85}, {128, 145, 0, 0}, {73, 72, 72, 85}, {2, 0, 0, 170},
        {4, 0, 36, 0}, {32, 36, 0, 0}, {96, 109, 0, 0}, {20, 0, 182, 0}};
    for (const RampCase& c : cases) {
        EXPECT_EQ(table[c.index].peRed, c.red) << "entry " << c.index;
        EXPECT_EQ(table[c.index].peGreen, c.green) << "entry " << c.index;
        EXPECT_EQ(table[c.index].peBlue, c.blue) << "entry " << c.index;
    }
    for (int i = 0; i < PALETTE_SIZE; ++i)
        EXPECT_EQ(table[i].peFlags, 0) << "entry " << i;
}

TEST(DefaultPalette, LevelsPerChannel)
{
    PALETTEENTRY table[PALETTE_SIZE];
    BuildDefaultPalette(table);
    std::set<int> reds, greens, blues;
    for (const PALETTEENTRY& entry : table) {
        reds.insert(entry.peRed);
        greens.insert(entry.peGreen);
        blues.insert(entry.peBlue);
    }
    const std::set<int> eightLevels = {0, 36, 72, 109, 145, 182, 218, 255};
    EXPECT_EQ(reds, eightLevels);
    EXPECT_EQ(greens, eightLevels);
    EXPECT_EQ(blues, (std::set<int>{0, 85, 170, 255}));
}

struct CountCase {
    const char* what;
    uint32_t size;
    uint16_t bitCount;
    uint32_t clrUsed;
    int32_t resourceCount;
    int32_t fileCount;
};

class ColorTableCountTest : public testing::TestWithParam<CountCase> { };

TEST_P(ColorTableCountTest, ResourceAndFileTests)
{
    const CountCase& c = GetParam();
    EXPECT_EQ(ColorTableCount(c.size, c.bitCount, c.clrUsed, false), c.resourceCount) << c.what;
    EXPECT_EQ(ColorTableCount(c.size, c.bitCount, c.clrUsed, true), c.fileCount) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Headers, ColorTableCountTest,
    testing::Values(CountCase{"8-bit, clrUsed 0", 40, 8, 0, 256, 256},
        CountCase{"4-bit", 40, 4, 0, 16, 16}, CountCase{"1-bit", 40, 1, 0, 2, 2},
        CountCase{"8-bit, clrUsed 20", 40, 8, 20, 20, 20},
        CountCase{"clrUsed above the palette", 40, 8, 300, 300, 300},
        CountCase{"24-bit", 40, 24, 0, 0, 0}, CountCase{"9-bit", 40, 9, 0, 0, 0},
        CountCase{"24-bit with clrUsed", 40, 24, 16, 0, 0}, CountCase{"size 12", 12, 8, 0, 0, 0},
        CountCase{"size 39", 39, 4, 0, 0, 0}, CountCase{"size 108", 108, 8, 0, 256, 0},
        CountCase{"size 124", 124, 4, 0, 16, 0},
        CountCase{"size above 2^31", 0x80000028u, 4, 0, 16, 0},
        CountCase{"bit count 0", 40, 0, 0, 1, 1},
        CountCase{"clrUsed 0x80000000", 40, 8, 0x80000000u, INT32_MIN, INT32_MIN},
        CountCase{"clrUsed 0xFFFFFFFF", 40, 8, 0xFFFFFFFFu, -1, -1}));

struct TakenCase {
    int32_t count;
    uint64_t tableBytes;
    int32_t taken;
};

TEST(ColorTableEntriesTaken, LimitedToThePaletteAndTheBytesPresent)
{
    const TakenCase cases[] = {{16, 1024, 16}, {256, 1024, 256}, {257, 1024, 256},
        {300, 1u << 20, 256}, {0, 1024, 0}, {-1, 1024, 0}, {INT32_MIN, 1024, 0}, {256, 64, 16},
        {256, 66, 16}, {16, 63, 15}, {16, 3, 0}, {16, 0, 0}, {INT32_MAX, UINT64_MAX, 256}};
    for (const TakenCase& c : cases)
        EXPECT_EQ(ColorTableEntriesTaken(c.count, c.tableBytes), c.taken)
            << c.count << " entries, " << c.tableBytes << " bytes";
}

TEST(MaskToBitDepth, KeepsTheLowBytesOfTheDepth)
{
    const uint32_t raw = 0x12345678;  // every byte different
    const std::pair<uint32_t, uint32_t> cases[] = {{0, 0}, {1, 0x0}, {4, 0x8}, {8, 0x78},
        {15, 0x5678}, {16, 0x5678}, {24, 0x345678}, {31, 0x12345678}, {32, 0x12345678},
        {33, 0x12345678}, {64, 0x12345678}, {0xFFFFFFFFu, 0x12345678}};
    for (auto [bits, expected] : cases)
        EXPECT_EQ(MaskToBitDepth(raw, bits), expected) << bits << " bits";
    EXPECT_EQ(MaskToBitDepth(0xFFFFFFFFu, 31), 0x7FFFFFFFu);
    EXPECT_EQ(MaskToBitDepth(0xFFFFFFFFu, 1), 1u);
}

TEST(ColorTableByteOrder, RedAndBlueExchanged)
{
    const uint8_t entry[4] = {0x10, 0x20, 0x30, 0x40};  // blue, green, red, reserved
    for (bool fromFile : {false, true}) {
        const PALETTEENTRY result = PaletteEntryFromColorTable(entry, fromFile);
        EXPECT_EQ(result.peRed, 0x30) << fromFile;
        EXPECT_EQ(result.peGreen, 0x20) << fromFile;
        EXPECT_EQ(result.peBlue, 0x10) << fromFile;
    }
}

TEST(ColorTableByteOrder, FlagsFromTheFileOnly)
{
    const std::vector<uint8_t> reservedBytes = {0x00, 0x04, 0x7F, 0xFF};
    for (uint8_t reserved : reservedBytes) {
        const uint8_t entry[4] = {1, 2, 3, reserved};
        EXPECT_EQ(PaletteEntryFromColorTable(entry, true).peFlags, reserved);
        EXPECT_EQ(PaletteEntryFromColorTable(entry, false).peFlags, 0);
    }
}

}  // namespace
