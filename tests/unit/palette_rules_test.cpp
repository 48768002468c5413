// The default ramp, and how much of a colour table is taken.
#include "display/palette_rules.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

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

// A file's header must be 40 bytes, a resource's at least 40; above 8 bits
// there is no table; biClrUsed wins where given. A 32-bit pixel keeps its word.
TEST(PaletteRules, HeadersDeclareTablesAndPixelsKeepTheirDepth)
{
    for (auto [size, bits, used, file, count] : {std::tuple{40u, 8, 0u, true, 256},
             {41u, 8, 0u, true, 0}, {41u, 4, 0u, false, 16}, {39u, 1, 0u, false, 0},
             {40u, 9, 0u, false, 0}, {40u, 8, 5u, true, 5}, {40u, 2, 0x80000000u, true, INT32_MIN}})
        EXPECT_EQ(ColorTableCount(size, uint16_t(bits), used, file), count) << size << " " << bits;
    EXPECT_EQ(MaskToBitDepth(0xFFFFFFFFu, 32), 0xFFFFFFFFu);
    EXPECT_EQ(MaskToBitDepth(0x12345u, 16), 0x2345u);
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

}  // namespace
