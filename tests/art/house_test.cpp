// The cottage: its colours where they belong, black outlines, and the grass
// of the lawn picture all round it, so house cells sit in the field
// without a seam.
#include "art/tile_files.h"

#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace art {
namespace {

constexpr int GRASS = 0;
constexpr int HOUSE = 11;
constexpr Pixel ROOF_BLUE{0, 0, 192};
constexpr Pixel DOOR_RED{64, 0, 0};

struct Probe {
    const char* what;
    int x;
    int y;
    Pixel colour;
};

// Each probe asks for its colour over the 3 x 3 block around it, less at
// most one pixel: the roof's specks are single pixels.
constexpr Probe PROBES[] = {
    {"roof under the peak", 31, 6, ROOF_BLUE},
    {"roof left of the gable", 18, 25, ROOF_BLUE},
    {"roof right of the gable", 44, 25, ROOF_BLUE},
    {"gable beside the window", 26, 27, WHITE},
    {"gable running into the wall", 31, 31, WHITE},
    {"wall above the door", 31, 34, WHITE},
    {"wall left of the door", 19, 44, WHITE},
    {"wall right of the door", 43, 44, WHITE},
    {"door, left plank", 27, 45, DOOR_RED},
    {"door, right plank", 34, 50, DOOR_RED},
};

void PrintTo(const Probe& probe, std::ostream* os)
{
    *os << probe.what << " (" << probe.x << "," << probe.y << ")";
}

class HouseTest : public testing::Test {
protected:
    const Picture grass = LoadTile(GRASS);
    const Picture house = LoadTile(HOUSE);

    bool IsGrass(int x, int y) const
    {
        return house.at(x, y) == grass.at(x, y);
    }
};

class HouseProbe : public HouseTest, public testing::WithParamInterface<Probe> { };

TEST_P(HouseProbe, HasItsColour)
{
    const Probe& probe = GetParam();
    int matching = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            matching += house.at(probe.x + dx, probe.y + dy) == probe.colour;
        }
    }
    EXPECT_GE(matching, 8) << probe.what;
}

INSTANTIATE_TEST_SUITE_P(Places, HouseProbe, testing::ValuesIn(PROBES));

TEST_F(HouseTest, StandsOnTheLawnAndTouchesNoEdge)
{
    for (int y = 0; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            // Nothing left of the eaves (x 9), right of them (x 53), above
            // the peak (y 1) or below the base line (y 56).
            if (x < 9 || x > 53 || y < 1 || y > 56) {
                ASSERT_TRUE(IsGrass(x, y)) << "at " << x << "," << y;
            }
        }
    }
}

TEST_F(HouseTest, RoofRisesToABluntPeakOnePixelBelowTheTop)
{
    int peak = 0;
    for (int x = 0; x < TILE; ++x) {
        peak += !IsGrass(x, 1);
    }
    EXPECT_GE(peak, 3);
    EXPECT_LE(peak, 9);
    EXPECT_FALSE(IsGrass(31, 1));
}

TEST_F(HouseTest, EavesSpanNineToFiftyThree)
{
    int left = TILE;
    int right = -1;
    for (int y = 29; y <= 31; ++y) {
        for (int x = 0; x < TILE; ++x) {
            if (!IsGrass(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_EQ(left, 9);
    EXPECT_EQ(right, 53);
    // They overhang the wall: grass under them, beside the wall.
    EXPECT_TRUE(IsGrass(9, 40));
    EXPECT_TRUE(IsGrass(53, 40));
}

TEST_F(HouseTest, WallIsWhiteFromFourteenToFortyEight)
{
    for (int y : {33, 45, 55}) {
        for (int x = 14; x <= 48; ++x) {
            if (x < 25 || x > 36) {  // beside the door
                EXPECT_EQ(house.at(x, y), WHITE) << "at " << x << "," << y;
            }
        }
        EXPECT_NE(house.at(13, y), WHITE);
        EXPECT_NE(house.at(49, y), WHITE);
    }
}

TEST_F(HouseTest, DoorIsDarkRedWithTwoBlackLines)
{
    std::set<int> lineColumns;
    for (int y = 38; y <= 55; ++y) {
        std::set<int> black;
        for (int x = 26; x <= 35; ++x) {
            const Pixel p = house.at(x, y);
            ASSERT_TRUE(p == DOOR_RED || p == BLACK) << "at " << x << "," << y;
            if (p == BLACK) {
                black.insert(x);
            }
        }
        ASSERT_EQ(black.size(), 2u) << "row " << y;
        EXPECT_FALSE(black.contains(26) || black.contains(35)) << "row " << y;
        lineColumns.insert(black.begin(), black.end());
    }
    // Vertical: the same two columns in every row.
    EXPECT_EQ(lineColumns.size(), 2u);
}

TEST_F(HouseTest, BaseLineIsBlackAndGrassLiesBelow)
{
    for (int x = 14; x <= 48; ++x) {
        EXPECT_EQ(house.at(x, 56), BLACK) << "at " << x;
    }
    for (int y = 57; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            ASSERT_TRUE(IsGrass(x, y)) << "at " << x << "," << y;
        }
    }
}

TEST_F(HouseTest, GableHasASmallBlackFramedWindowUnderItsPeak)
{
    // Down the middle of the gable: the frame's top, the pane, the frame's
    // bottom, with white above and below.
    int top = -1;
    int bottom = -1;
    for (int y = 18; y <= 31; ++y) {
        if (house.at(31, y) != WHITE) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    ASSERT_GE(top, 0);
    EXPECT_EQ(house.at(31, top), BLACK);
    EXPECT_EQ(house.at(31, bottom), BLACK);
    EXPECT_GE(bottom - top + 1, 8);
    EXPECT_LE(bottom - top + 1, 10);

    const int middle = (top + bottom) / 2;
    int left = 31;
    int right = 31;
    while (house.at(left - 1, middle) != WHITE) {
        --left;
    }
    while (house.at(right + 1, middle) != WHITE) {
        ++right;
    }
    EXPECT_EQ(house.at(left, middle), BLACK);
    EXPECT_EQ(house.at(right, middle), BLACK);
    EXPECT_GE(right - left + 1, 3);
    EXPECT_LE(right - left + 1, 6);
    EXPECT_NE(house.at(31, middle), BLACK) << "a pane inside the frame";
}

TEST_F(HouseTest, RoofCarriesAFewBlackSpecks)
{
    int specks = 0;
    for (int y = 1; y < TILE - 1; ++y) {
        for (int x = 1; x < TILE - 1; ++x) {
            specks += house.at(x, y) == BLACK && house.at(x - 1, y) == ROOF_BLUE
                && house.at(x + 1, y) == ROOF_BLUE && house.at(x, y - 1) == ROOF_BLUE
                && house.at(x, y + 1) == ROOF_BLUE;
        }
    }
    EXPECT_GE(specks, 3);
    EXPECT_LE(specks, 15);
}

// Outlines are black and one to three pixels wide where the house meets the
// grass: along the roof's slopes and down the wall's sides.
class HouseOutline : public HouseTest,
                     public testing::WithParamInterface<std::tuple<int, bool>> { };

TEST_P(HouseOutline, IsOneToThreeBlackPixels)
{
    const auto [y, fromLeft] = GetParam();
    const int step = fromLeft ? 1 : -1;
    int x = fromLeft ? 0 : TILE - 1;
    while (IsGrass(x, y)) {
        x += step;
    }
    int width = 0;
    while (house.at(x, y) == BLACK) {
        x += step;
        ++width;
    }
    EXPECT_GE(width, 1);
    EXPECT_LE(width, 3);
    EXPECT_FALSE(IsGrass(x, y)) << "the outline closes onto the house, not onto grass";
}

INSTANTIATE_TEST_SUITE_P(RoofAndWall, HouseOutline,
    testing::Combine(testing::Values(4, 10, 16, 22, 27, 40, 50), testing::Bool()));

}  // namespace
}  // namespace art
