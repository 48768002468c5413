// The lawn: green alone, within its range, in soft patches, and without a
// seam where copies of it meet, since 843 map cells are this picture.
#include "art/tile_files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

namespace art {
namespace {

constexpr int GRASS = 0;

TEST(Grass, IsGreenAloneWithinItsRange)
{
    const Picture grass = LoadTile(GRASS);
    double sum = 0;
    int low = 255;
    int high = 0;
    for (const Pixel& p : grass.pixels) {
        ASSERT_EQ(p.red, 0);
        ASSERT_EQ(p.blue, 0);
        ASSERT_GE(p.green, 93);
        ASSERT_LE(p.green, 143);
        sum += p.green;
        low = std::min(low, p.green);
        high = std::max(high, p.green);
    }
    EXPECT_NEAR(sum / (TILE * TILE), 117.0, 2.0);
    // Mottled, not flat: most of the range is used.
    EXPECT_GE(high - low, 35);
}

TEST(Grass, VariesInSoftPatchesNotPixelNoise)
{
    const Picture grass = LoadTile(GRASS);
    double mean = 0;
    for (const Pixel& p : grass.pixels) {
        mean += p.green;
    }
    mean /= TILE * TILE;
    double variance = 0;
    double step = 0;
    for (int y = 0; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            variance += std::pow(grass.at(x, y).green - mean, 2);
            step += std::abs(grass.at((x + 1) % TILE, y).green - grass.at(x, y).green);
        }
    }
    const double deviation = std::sqrt(variance / (TILE * TILE));
    // Independent pixels would step by about 1.1 deviations between
    // neighbours; patches a few pixels across step by far less.
    EXPECT_LT(step / (TILE * TILE), 0.6 * deviation);
}

// Differences between neighbouring columns (or rows), across the seam
// where one copy's last column meets the next copy's first, and inside.
struct SeamCase {
    const char* name;
    bool columns;
};

void PrintTo(const SeamCase& c, std::ostream* os)
{
    *os << c.name;
}

class GrassSeam : public testing::TestWithParam<SeamCase> { };

TEST_P(GrassSeam, IsNoWorseThanInsideTheTile)
{
    const Picture grass = LoadTile(GRASS);
    const auto green = [&](int line, int along) {
        return GetParam().columns ? grass.at(line, along).green : grass.at(along, line).green;
    };
    const auto lineStep = [&](int a, int b, double* mean, int* worst) {
        int sum = 0;
        *worst = 0;
        for (int along = 0; along < TILE; ++along) {
            const int d = std::abs(green(a, along) - green(b, along));
            sum += d;
            *worst = std::max(*worst, d);
        }
        *mean = double(sum) / TILE;
    };

    double insideMean = 0;
    int insideWorst = 0;
    for (int line = 0; line + 1 < TILE; ++line) {
        double mean;
        int worst;
        lineStep(line, line + 1, &mean, &worst);
        insideMean += mean / (TILE - 1);
        insideWorst = std::max(insideWorst, worst);
    }
    double seamMean;
    int seamWorst;
    lineStep(TILE - 1, 0, &seamMean, &seamWorst);

    EXPECT_LE(seamMean, 1.5 * insideMean);
    EXPECT_LE(seamWorst, insideWorst);
}

INSTANTIATE_TEST_SUITE_P(BothWays, GrassSeam,
    testing::Values(SeamCase{"LeftRight", true}, SeamCase{"TopBottom", false}),
    [](const testing::TestParamInfo<SeamCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace art
