// The map table against the counts it was transcribed with.
#include "mapview/tile_map.h"

#include <array>
#include <gtest/gtest.h>

TEST(TileMap, ValueCountsMatchTheWorld)
{
    std::array<int, 256> counts{};
    for (TileIndex value : TileMap)
        ++counts[value];
    const std::array<int, 256> expected = {843, 157, 2, 2, 2, 2, 1, 1, 1, 1, 1, 11};
    EXPECT_EQ(counts, expected);
}
