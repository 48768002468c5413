// The stone wall: a checkerboard of 16 x 16 grey squares, light at the
// top-left, whose lower half repeats its upper half, so stone cells continue
// the board across their common edges.
#include "art/tile_files.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace art {
namespace {

constexpr int STONE = 1;
constexpr int SQUARE = 16;

struct Shade {
    const char* name;
    bool light;
    int low;
    int high;
    double mean;
    int towardsRight;  // sign of the change towards a square's right edge
};

constexpr Shade SHADES[] = {
    {"Light", true, 159, 211, 183.0, +1},
    {"Dark", false, 102, 142, 121.0, -1},
};

void PrintTo(const Shade& shade, std::ostream* os)
{
    *os << shade.name;
}

bool IsLight(int squareX, int squareY)
{
    return (squareX + squareY) % 2 == 0;
}

double ColumnsMean(const Picture& stone, int left, int top, int firstColumn, int columns)
{
    double sum = 0;
    for (int y = top; y < top + SQUARE; ++y) {
        for (int x = left + firstColumn; x < left + firstColumn + columns; ++x) {
            sum += stone.at(x, y).red;
        }
    }
    return sum / (SQUARE * columns);
}

TEST(Stone, IsNeutralGrey)
{
    const Picture stone = LoadTile(STONE);
    for (int y = 0; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            const Pixel p = stone.at(x, y);
            ASSERT_TRUE(p.red == p.green && p.green == p.blue) << "at " << x << "," << y;
        }
    }
}

TEST(Stone, LowerHalfRepeatsUpperHalfExactly)
{
    const Picture stone = LoadTile(STONE);
    for (int y = 0; y < TILE / 2; ++y) {
        for (int x = 0; x < TILE; ++x) {
            ASSERT_EQ(stone.at(x, y + TILE / 2), stone.at(x, y)) << "at " << x << "," << y;
        }
    }
}

class StoneSquares : public testing::TestWithParam<Shade> { };

TEST_P(StoneSquares, StayInTheirRangeAroundTheirMean)
{
    const Shade& shade = GetParam();
    const Picture stone = LoadTile(STONE);
    double sum = 0;
    int count = 0;
    for (int y = 0; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            if (IsLight(x / SQUARE, y / SQUARE) != shade.light) {
                continue;
            }
            const int grey = stone.at(x, y).red;
            ASSERT_GE(grey, shade.low) << "at " << x << "," << y;
            ASSERT_LE(grey, shade.high) << "at " << x << "," << y;
            sum += grey;
            ++count;
        }
    }
    EXPECT_EQ(count, TILE * TILE / 2);
    EXPECT_NEAR(sum / count, shade.mean, 3.0);
}

TEST_P(StoneSquares, ShadeTowardsTheirRightEdge)
{
    const Shade& shade = GetParam();
    const Picture stone = LoadTile(STONE);
    for (int sy = 0; sy < TILE / SQUARE; ++sy) {
        for (int sx = 0; sx < TILE / SQUARE; ++sx) {
            if (IsLight(sx, sy) != shade.light) {
                continue;
            }
            const double left = ColumnsMean(stone, sx * SQUARE, sy * SQUARE, 0, 4);
            const double right = ColumnsMean(stone, sx * SQUARE, sy * SQUARE, SQUARE - 4, 4);
            EXPECT_GT(shade.towardsRight * (right - left), 3.0) << "square " << sx << "," << sy;
        }
    }
}

TEST_P(StoneSquares, CarryAMottledTexture)
{
    const Shade& shade = GetParam();
    const Picture stone = LoadTile(STONE);
    for (int sy = 0; sy < TILE / SQUARE; ++sy) {
        for (int sx = 0; sx < TILE / SQUARE; ++sx) {
            if (IsLight(sx, sy) != shade.light) {
                continue;
            }
            // Down a single column the gradient is constant, so any spread
            // there is texture.
            const int x = sx * SQUARE + SQUARE / 2;
            std::set<int> values;
            for (int y = sy * SQUARE; y < (sy + 1) * SQUARE; ++y) {
                values.insert(stone.at(x, y).red);
            }
            EXPECT_GE(values.size(), 4u) << "square " << sx << "," << sy;
            EXPECT_LE(*values.rbegin() - *values.begin(), 30) << "square " << sx << "," << sy;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothShades, StoneSquares, testing::ValuesIn(SHADES),
    [](const testing::TestParamInfo<Shade>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace art
