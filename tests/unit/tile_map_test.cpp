// The map table against the counts it was transcribed with, and the cells
// the pictures are drawn for.
#include "mapview/tile_map.h"

#include <array>
#include <gtest/gtest.h>

TEST(TileMap, ValueCountsMatchTheWorld)
{
    std::array<int, 256> counts{};
    for (TileIndex value : TileMap)
        ++counts[value];
    const std::array<int, TILE_COUNT> expected = {843, 157, 2, 2, 2, 2, 1, 1, 1, 1, 1, 11};
    for (int tile = 0; tile < TILE_COUNT; ++tile)
        EXPECT_EQ(counts[tile], expected[tile]) << "tile " << tile;
    int outside = 0;
    for (int value = TILE_COUNT; value < 256; ++value)
        outside += counts[value];
    EXPECT_EQ(outside, 0);
}

TEST(TileMap, RowTwentyOneCarriesTheLettering)
{
    const TileIndex expected[] = {2, 3, 4, 5, 2, 3, 4, 0, 5, 6, 7, 8, 9, 10};
    for (int column = 4; column <= 17; ++column)
        EXPECT_EQ(TileMap[21 * MAP_COLUMNS + column], expected[column - 4]) << column;
}

TEST(TileMap, HousesStandWhereTheyShould)
{
    const std::pair<int, int> houses[] = {{0, 17}, {0, 18}, {0, 20}, {0, 23}, {8, 3}, {6, 10},
        {12, 10}, {8, 14}, {14, 14}, {27, 12}, {27, 14}};
    for (auto [row, column] : houses)
        EXPECT_EQ(TileMap[row * MAP_COLUMNS + column], 11) << row << ", " << column;
}
