// The committed tile pictures against their measures.
#include "tests/support/tile_reference.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

constexpr int N = 64;
struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
constexpr Rgb BLACK{0, 0, 0}, WHITE{255, 255, 255};
constexpr Rgb ROOF_BLUE{0, 0, 192}, DOOR_RED{64, 0, 0};

// Tile i as rows from the top; black if it cannot be read (a failure is recorded).
std::vector<Rgb> Load(int tile)
{
    std::vector<Rgb> picture;
    for (uint32_t c : reference::TileRgb(tile))
        picture.push_back({int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF)});
    picture.resize(N * N);
    return picture;
}

TEST(Art, GrassIsGreenAloneAndWrapsWithoutASeam)
{
    const std::vector<Rgb> grass = Load(0);
    long sum = 0;
    for (const Rgb& p : grass) {
        ASSERT_TRUE(p.r == 0 && p.b == 0 && p.g >= 93 && p.g <= 143) << p.g;
        sum += p.g;
    }
    EXPECT_NEAR(double(sum) / (N * N), 117.0, 2.0);
    // Across the wrap the green steps about as much as between inner lines.
    for (bool columns : {true, false}) {
        const auto step = [&](int a, int b) {
            int total = 0;
            for (int i = 0; i < N; ++i)
                total += columns ? std::abs(grass[i * N + a].g - grass[i * N + b].g)
                                 : std::abs(grass[a * N + i].g - grass[b * N + i].g);
            return total;
        };
        int inner = 0;
        for (int line = 0; line + 1 < N; ++line)
            inner += step(line, line + 1);
        EXPECT_LE(step(N - 1, 0), 1.5 * inner / (N - 1)) << (columns ? "left/right" : "top/bottom");
    }
}

TEST(Art, StoneIsAGreyCheckerboardRepeatingItsUpperHalf)
{
    const std::vector<Rgb> stone = Load(1);
    double sums[2] = {0, 0};  // dark, light
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const Rgb p = stone[y * N + x];
            const bool light = (x / 16 + y / 16) % 2 == 0;
            ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;
            ASSERT_EQ(p, stone[(y % 32) * N + x]) << x << "," << y;
            EXPECT_TRUE(light ? p.r >= 159 && p.r <= 211 : p.r >= 102 && p.r <= 142)
                << x << "," << y;
            sums[light] += p.r / (N * N / 2.0);
        }
    EXPECT_TRUE(std::abs(sums[0] - 121) <= 3 && std::abs(sums[1] - 183) <= 3)
        << sums[0] << ", " << sums[1];
}

TEST(Art, GlyphsAndTheHouseLieCentredOnUntouchedGrass)
{
    const std::vector<Rgb> grass = Load(0);
    // TILE3 to TILE11, then the house's eaves.
    const int widths[] = {44, 46, 52, 44, 42, 33, 34, 40, 13, 45};
    std::vector<std::vector<Rgb>> tiles;
    for (int tile = 2; tile <= 11; ++tile) {
        SCOPED_TRACE(testing::Message() << "TILE" << tile + 1);
        const std::vector<Rgb>& picture = tiles.emplace_back(Load(tile));
        int left = N, right = -1, top = N, bottom = -1;
        for (int i = 0; i < N * N; ++i) {
            const Rgb p = picture[i], under = grass[i];
            // Yellow laid over (0, g, 0) by a is (255a, g + (255 - g)a, 0).
            ASSERT_TRUE(tile == 11
                || (p.b == 0 && std::abs(p.g - under.g - (255 - under.g) * p.r / 255.0) <= 1))
                << i % N << "," << i / N;
            if (!(p == under))
                left = std::min(left, i % N), right = std::max(right, i % N),
                top = std::min(top, i / N), bottom = std::max(bottom, i / N);
        }
        EXPECT_NEAR(right - left + 1, widths[tile - 2], tile == 11 ? 0 : 1);
        EXPECT_LE(std::abs(left - (N - 1 - right)), 2) << "centred";
        // Glyphs 46 to 48 tall; the house from its peak to its base line.
        EXPECT_TRUE(tile == 11 ? top == 1 && bottom == 56
                               : (top == 6 || top == 7) && (bottom == 52 || bottom == 53))
            << top << "-" << bottom;
    }
    for (int a = 0; a < 9; ++a)
        for (int b = a + 1; b < 9; ++b) {
            int differing = 0;
            for (int i = 0; i < N * N; ++i)
                differing += std::abs(tiles[a][i].r - tiles[b][i].r) > 127;
            EXPECT_GT(differing, 150) << "TILE" << a + 3 << " and TILE" << b + 3;
        }
}

TEST(Art, HouseHasItsColoursAtTheirPlaces)
{
    const std::vector<Rgb> house = Load(11);
    const auto at = [&](int x, int y) { return house[y * N + x]; };
    // Each probe's colour fills its 3 x 3 block less at most one pixel: the roof's dark dots.
    for (auto [x, y, colour] : {std::tuple{31, 6, ROOF_BLUE}, {18, 25, ROOF_BLUE},
             {44, 25, ROOF_BLUE}, {26, 27, WHITE}, {31, 34, WHITE}, {19, 44, WHITE},
             {43, 44, WHITE}, {27, 45, DOOR_RED}, {34, 50, DOOR_RED}}) {
        int matching = 0;
        for (int i = 0; i < 9; ++i)
            matching += at(x - 1 + i % 3, y - 1 + i / 3) == colour;
        EXPECT_GE(matching, 8) << "at " << x << "," << y;
    }
    for (int x = 14; x <= 48; ++x)  // the base line under the wall
        EXPECT_EQ(at(x, 56), BLACK) << x;
}

}  // namespace
