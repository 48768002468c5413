// The default ramp, the colour-table count, the pixel mask and the colour
// table's byte order.
#include "display/palette_rules.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace {

TEST(DefaultPalette, RampsRedGreenInEightLevelsAndBlueInFourWithNoFlags)
{
    PALETTEENTRY table[PALETTE_SIZE];
    std::memset(table, 0xAB, sizeof(table));  // every entry must be written
    BuildDefaultPalette(table);
    struct Entry {
        int index;
        BYTE red, green, blue;
    };
    for (Entry e : {Entry{0, 0, 0, 0}, {255, 255, 255, 255}, {3, 0, 0, 255}, {28, 0, 255, 0},
             {224, 255, 0, 0}, {1, 0, 0, 85}, {128, 145, 0, 0}, {73, 72, 72, 85}, {4, 0, 36, 0},
             {96, 109, 0, 0}, {20, 0, 182, 0}}) {
        EXPECT_EQ(table[e.index].peRed, e.red) << e.index;
        EXPECT_EQ(table[e.index].peGreen, e.green) << e.index;
        EXPECT_EQ(table[e.index].peBlue, e.blue) << e.index;
    }
    std::set<int> reds, blues;
    for (const PALETTEENTRY& entry : table) {
        reds.insert(entry.peRed);
        blues.insert(entry.peBlue);
        EXPECT_EQ(entry.peFlags, 0);
    }
    EXPECT_EQ(reds, (std::set<int>{0, 36, 72, 109, 145, 182, 218, 255}));
    EXPECT_EQ(blues, (std::set<int>{0, 85, 170, 255}));
}

TEST(ColorTableCount, FollowsTheHeaderSizeBitsAndColoursUsed)
{
    struct Case {
        uint32_t size;
        uint16_t bitCount;
        uint32_t clrUsed;
        int32_t resourceCount, fileCount;
    };
    const Case cases[] = {{40, 8, 0, 256, 256}, {40, 4, 0, 16, 16}, {40, 1, 0, 2, 2},
        {40, 8, 20, 20, 20}, {40, 8, 300, 300, 300}, {40, 24, 16, 0, 0}, {40, 9, 0, 0, 0},
        {40, 0, 0, 1, 1}, {12, 8, 0, 0, 0}, {39, 4, 0, 0, 0},
        // Longer headers pass the resource's test, not the file's.
        {108, 8, 0, 256, 0}, {124, 4, 0, 16, 0}, {0x80000028u, 4, 0, 16, 0},
        {40, 8, 0x80000000u, INT32_MIN, INT32_MIN}, {40, 8, 0xFFFFFFFFu, -1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.size << " bytes, " << c.bitCount << " bits, " << c.clrUsed << " used");
        EXPECT_EQ(ColorTableCount(c.size, c.bitCount, c.clrUsed, false), c.resourceCount);
        EXPECT_EQ(ColorTableCount(c.size, c.bitCount, c.clrUsed, true), c.fileCount);
    }
}

TEST(ColorTableEntriesTaken, LimitedToThePaletteAndTheBytesPresent)
{
    struct Case {
        int32_t count;
        uint64_t tableBytes;
        int32_t taken;
    };
    for (Case c :
        {Case{16, 1024, 16}, {257, 1024, 256}, {0, 1024, 0}, {-1, 1024, 0}, {INT32_MIN, 1024, 0},
            {256, 66, 16}, {16, 63, 15}, {16, 3, 0}, {INT32_MAX, UINT64_MAX, 256}})
        EXPECT_EQ(ColorTableEntriesTaken(c.count, c.tableBytes), c.taken)
            << c.count << " entries, " << c.tableBytes << " bytes";
}

TEST(MaskToBitDepth, KeepsTheLowBitsOfTheDepth)
{
    const uint32_t raw = 0x12345678;  // every byte different
    for (auto [bits, expected] : {std::pair<uint32_t, uint32_t>{0, 0}, {1, 0}, {4, 0x8}, {8, 0x78},
             {15, 0x5678}, {16, 0x5678}, {24, 0x345678}, {32, 0x12345678}, {33, 0x12345678},
             {0xFFFFFFFFu, 0x12345678}})
        EXPECT_EQ(MaskToBitDepth(raw, bits), expected) << bits << " bits";
    EXPECT_EQ(MaskToBitDepth(0xFFFFFFFFu, 31), 0x7FFFFFFFu);
}

TEST(ColorTableByteOrder, RedAndBlueExchangedAndFlagsFromTheFileOnly)
{
    for (uint8_t reserved : {0x00, 0x04, 0xFF}) {
        const uint8_t entry[4] = {0x10, 0x20, 0x30, reserved};  // blue, green, red, reserved
        for (bool fromFile : {false, true}) {
            const PALETTEENTRY result = PaletteEntryFromColorTable(entry, fromFile);
            EXPECT_EQ(result.peRed, 0x30);
            EXPECT_EQ(result.peGreen, 0x20);
            EXPECT_EQ(result.peBlue, 0x10);
            EXPECT_EQ(result.peFlags, fromFile ? reserved : 0) << int{reserved};
        }
    }
}

}  // namespace
