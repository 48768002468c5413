// The default ramp, the colour-table count, the pixel mask and the colour
// table's byte order.
#include "display/palette_rules.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(PaletteRules, DefaultRampHasEightRedAndGreenLevelsAndFourBlueWithNoFlags)
{
    PALETTEENTRY table[PALETTE_SIZE];
    std::memset(table, 0xAB, sizeof(table));  // every entry must be written
    BuildDefaultPalette(table);
    for (auto [index, expected] :
        {std::pair<int, PALETTEENTRY>{0, {0, 0, 0, 0}}, {255, {255, 255, 255, 0}},
            {3, {0, 0, 255, 0}}, {28, {0, 255, 0, 0}}, {224, {255, 0, 0, 0}}, {1, {0, 0, 85, 0}},
            {73, {72, 72, 85, 0}}, {150, {145, 182, 170, 0}}, {96, {109, 0, 0, 0}}})
        EXPECT_EQ(std::memcmp(&table[index], &expected, 4), 0) << "entry " << index;
}

TEST(PaletteRules, ColorTableCountFollowsTheHeaderSizeBitsAndColoursUsed)
{
    struct Case {
        uint32_t size;
        uint16_t bitCount;
        uint32_t clrUsed;
        int32_t resourceCount, fileCount;
    };
    const Case cases[]
        = {{40, 8, 0, 256, 256}, {40, 4, 0, 16, 16}, {40, 1, 0, 2, 2}, {40, 8, 20, 20, 20},
            {40, 24, 16, 0, 0}, {40, 9, 0, 0, 0}, {12, 8, 0, 0, 0}, {39, 4, 0, 0, 0},
            // Longer headers pass the resource's test, not the file's.
            {108, 8, 0, 256, 0}, {0x80000028u, 4, 0, 16, 0}, {40, 8, 0xFFFFFFFFu, -1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, " << c.bitCount << " bits");
        EXPECT_EQ(ColorTableCount(c.size, c.bitCount, c.clrUsed, false), c.resourceCount);
        EXPECT_EQ(ColorTableCount(c.size, c.bitCount, c.clrUsed, true), c.fileCount);
    }
}

TEST(PaletteRules, EntriesTakenAreLimitedToThePaletteAndTheBytesPresent)
{
    struct Case {
        int32_t count;
        uint64_t tableBytes;
        int32_t taken;
    };
    for (Case c : {Case{16, 1024, 16}, {257, 1024, 256}, {-1, 1024, 0}, {INT32_MIN, 1024, 0},
             {16, 63, 15}, {INT32_MAX, UINT64_MAX, 256}})
        EXPECT_EQ(ColorTableEntriesTaken(c.count, c.tableBytes), c.taken)
            << c.count << " entries, " << c.tableBytes << " bytes";
}

TEST(PaletteRules, MaskKeepsTheLowBitsOfTheDepth)
{
    for (auto [bits, expected] : {std::pair<uint32_t, uint32_t>{0, 0}, {4, 0x8}, {16, 0x5678},
             {8, 0x78}, {24, 0x345678}, {32, 0x12345678}, {0xFFFFFFFFu, 0x12345678}})
        EXPECT_EQ(MaskToBitDepth(0x12345678, bits), expected) << bits << " bits";
}

TEST(PaletteRules, ColorTableEntryHasRedAndBlueExchangedAndFlagsFromAFileOnly)
{
    const uint8_t entry[4] = {0x10, 0x20, 0x30, 0x04};  // blue, green, red, reserved
    for (bool fromFile : {false, true}) {
        const PALETTEENTRY expected = {0x30, 0x20, 0x10, BYTE(fromFile ? 0x04 : 0)};
        const PALETTEENTRY result = PaletteEntryFromColorTable(entry, fromFile);
        EXPECT_EQ(std::memcmp(&result, &expected, 4), 0) << fromFile;
    }
}

}  // namespace
