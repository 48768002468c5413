// The default ramp, and how much of a colour table is taken.
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
