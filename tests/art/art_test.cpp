// The committed tile pictures against their measures: the file layout and the
// resource script, then one table of measures per kind of picture. Glyph and
// house tiles must keep the grass tile's border so that cells join unseen.
#include "support/tile_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int N = 64;
constexpr int GRASS = 0, STONE = 1, HOUSE = 11;

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
constexpr Rgb BLACK{0, 0, 0}, WHITE{255, 255, 255}, YELLOW{255, 255, 0};
constexpr Rgb ROOF_BLUE{0, 0, 192}, DOOR_RED{64, 0, 0};

struct Picture {
    std::vector<Rgb> pixels = std::vector<Rgb>(N * N);
    const Rgb& at(int x, int y) const
    {
        return pixels[y * N + x];
    }
};

Picture Load(int tile)
{
    const std::vector<uint8_t> bytes = reference::TileFileBytes(tile);
    Picture picture;
    if (bytes.size() != 54 + N * N * 3) {
        ADD_FAILURE() << "TILE" << tile + 1 << " is " << bytes.size() << " bytes";
        return picture;
    }
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const uint8_t* p = &bytes[54 + (N - 1 - y) * N * 3 + x * 3];  // bottom-up, BGR
            picture.pixels[y * N + x] = {p[2], p[1], p[0]};
        }
    return picture;
}

TEST(TileFiles, AreAFileHeaderAnd40ByteInfoHeaderBeforeBottomUpRows)
{
    struct Field {
        size_t offset;
        int bytes;
        int64_t value;
    };
    const Field fields[] = {{0, 2, 0x4D42}, {2, 4, 12342}, {10, 4, 54}, {14, 4, 40}, {18, 4, 64},
        {22, 4, 64}, {26, 2, 1}, {28, 2, 24}, {30, 4, 0}, {34, 4, 12288}, {38, 4, 2834},
        {42, 4, 2834}, {46, 4, 0}, {50, 4, 0}};
    for (int tile = 0; tile < 12; ++tile) {
        const std::vector<uint8_t> bytes = reference::TileFileBytes(tile);
        ASSERT_EQ(bytes.size(), 14u + 12328u) << "TILE" << tile + 1;
        for (const Field& f : fields) {
            int64_t value = 0;
            for (int i = f.bytes - 1; i >= 0; --i)
                value = value << 8 | bytes[f.offset + i];
            EXPECT_EQ(value, f.value) << "TILE" << tile + 1 << " offset " << f.offset;
        }
    }
    // One script names TILE1 to TILE12 in order, all in language 1033.
    std::ifstream script(std::string(std::getenv("TILESCROLL_SOURCE_DIR")) + "/resources/tiles.rc");
    std::vector<std::string> names, languages;
    const std::regex bitmap(R"(^\s*(\w+)\s+BITMAP\s)"),
        language(R"(^\s*LANGUAGE\s+(\w+\s*,\s*\w+))");
    std::smatch match;
    for (std::string line; std::getline(script, line);) {
        if (std::regex_search(line, match, bitmap))
            names.push_back(match[1]);
        else if (std::regex_search(line, match, language) && names.empty())
            languages.push_back(std::regex_replace(match[1].str(), std::regex(" "), ""));
    }
    EXPECT_EQ(languages, std::vector<std::string>{"9,1"});
    ASSERT_EQ(names.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(names[i], "TILE" + std::to_string(i + 1));
}

// Mean and worst green step between two lines (columns or rows) of the grass.
std::pair<double, int> LineStep(const Picture& grass, bool columns, int a, int b)
{
    int sum = 0, worst = 0;
    for (int i = 0; i < N; ++i) {
        const int d = columns ? std::abs(grass.at(a, i).g - grass.at(b, i).g)
                              : std::abs(grass.at(i, a).g - grass.at(i, b).g);
        sum += d;
        worst = std::max(worst, d);
    }
    return {double(sum) / N, worst};
}

TEST(Grass, IsGreenAloneInSoftPatchesAndWrapsWithoutASeam)
{
    const Picture grass = Load(GRASS);
    double sum = 0, squares = 0, step = 0;
    int low = 255, high = 0;
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const Rgb p = grass.at(x, y);
            ASSERT_TRUE(p.r == 0 && p.b == 0 && p.g >= 93 && p.g <= 143) << x << "," << y;
            sum += p.g;
            squares += p.g * p.g;
            low = std::min(low, p.g);
            high = std::max(high, p.g);
            step += std::abs(grass.at((x + 1) % N, y).g - p.g);
        }
    const double mean = sum / (N * N);
    EXPECT_NEAR(mean, 117.0, 2.0);
    EXPECT_GE(high - low, 35) << "mottled, not flat";
    // Independent pixels step by about 1.1 deviations; patches far less.
    EXPECT_LT(step / (N * N), 0.6 * std::sqrt(squares / (N * N) - mean * mean));
    for (bool columns : {true, false}) {
        double insideMean = 0;
        int insideWorst = 0;
        for (int line = 0; line + 1 < N; ++line) {
            const auto [m, w] = LineStep(grass, columns, line, line + 1);
            insideMean += m / (N - 1);
            insideWorst = std::max(insideWorst, w);
        }
        const auto [seamMean, seamWorst] = LineStep(grass, columns, N - 1, 0);
        EXPECT_LE(seamMean, 1.5 * insideMean) << (columns ? "left/right" : "top/bottom");
        EXPECT_LE(seamWorst, insideWorst) << (columns ? "left/right" : "top/bottom");
    }
}

TEST(Stone, IsAGreyCheckerboardOfShadedTexturedSquaresRepeatingItsUpperHalf)
{
    const Picture stone = Load(STONE);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const Rgb p = stone.at(x, y);
            ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;
            ASSERT_EQ(p, stone.at(x, y % 32)) << x << "," << y;
        }
    struct Shade {
        bool light;
        int low, high;
        double mean;
        int towardsRight;  // sign of the change towards a square's right edge
    };
    for (const Shade& s : {Shade{true, 159, 211, 183.0, +1}, Shade{false, 102, 142, 121.0, -1}}) {
        double sum = 0;
        for (int sy = 0; sy < 4; ++sy)
            for (int sx = 0; sx < 4; ++sx) {
                if (((sx + sy) % 2 == 0) != s.light)
                    continue;
                double left = 0, right = 0;
                std::set<int> middleColumn;
                for (int y = sy * 16; y < sy * 16 + 16; ++y) {
                    for (int x = sx * 16; x < sx * 16 + 16; ++x) {
                        const int grey = stone.at(x, y).r;
                        EXPECT_TRUE(grey >= s.low && grey <= s.high) << x << "," << y;
                        sum += grey;
                        left += x - sx * 16 < 4 ? grey : 0;
                        right += x - sx * 16 >= 12 ? grey : 0;
                    }
                    middleColumn.insert(stone.at(sx * 16 + 8, y).r);
                }
                SCOPED_TRACE(testing::Message() << "square " << sx << "," << sy);
                EXPECT_GT(s.towardsRight * (right - left) / 64, 3.0);
                // The gradient is constant down a column: any spread is texture.
                EXPECT_GE(middleColumn.size(), 4u);
                EXPECT_LE(*middleColumn.rbegin() - *middleColumn.begin(), 30);
            }
        EXPECT_NEAR(sum / (N * N / 2), s.mean, 3.0) << (s.light ? "light" : "dark");
    }
}

struct Glyph {
    const char* name;
    int tile, width;
    int stemRow;  // a row whose first ink run crosses a stem
    int barColumn, bars;  // a column crossing only bars (0 bars: none checked)
};

const Glyph GLYPHS[] = {{"T", 2, 44, 30, 14, 1}, {"O", 3, 46, 30, 31, 2}, {"M", 4, 52, 48, 0, 0},
    {"R", 5, 44, 48, 26, 2}, {"U", 6, 42, 20, 31, 1}, {"L", 7, 33, 20, 44, 1},
    {"E", 8, 34, 20, 45, 3}, {"S", 9, 40, -1, 0, 0}, {"!", 10, 13, 20, 0, 0}};

// Ink widths of the runs along a row or column: yellow over grass is red.
std::vector<double> InkRuns(const Picture& tile, bool alongRow, int line)
{
    std::vector<double> runs;
    bool inRun = false;
    for (int i = 0; i < N; ++i) {
        const double ink = (alongRow ? tile.at(i, line) : tile.at(line, i)).r / 255.0;
        if (ink > 0 && !inRun)
            runs.push_back(0);
        if (ink > 0)
            runs.back() += ink;
        inRun = ink > 0;
    }
    return runs;
}

TEST(Glyphs, AreSolidYellowLettersOfTheirSizeCentredOnUntouchedGrass)
{
    const Picture grass = Load(GRASS);
    std::vector<Picture> tiles;
    for (const Glyph& glyph : GLYPHS) {
        SCOPED_TRACE(glyph.name);
        const Picture tile = Load(glyph.tile);
        tiles.push_back(tile);
        int left = N, right = -1, top = N, bottom = -1, solid = 0, rim = 0, lonelyRim = 0;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                const Rgb p = tile.at(x, y), under = grass.at(x, y);
                const bool border = std::min({x, y, N - 1 - x, N - 1 - y}) < 5;
                ASSERT_TRUE(!border || p == under) << "border at " << x << "," << y;
                // Yellow blended over (0, g, 0) by a is (255a, g + (255 - g)a, 0).
                ASSERT_EQ(p.b, 0) << x << "," << y;
                ASSERT_NEAR(p.g, under.g + (255 - under.g) * p.r / 255.0, 1.0) << x << "," << y;
                if (p == under)
                    continue;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
                if (p == YELLOW) {
                    ++solid;
                    continue;
                }
                ++rim;
                bool nextToSolid = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        nextToSolid = nextToSolid || tile.at(x + dx, y + dy) == YELLOW;
                lonelyRim += !nextToSolid;
            }
        EXPECT_TRUE(top == 6 || top == 7) << top;
        EXPECT_TRUE(bottom == 52 || bottom == 53) << bottom;
        EXPECT_NEAR(bottom - top + 1, 47, 1);
        EXPECT_NEAR(right - left + 1, glyph.width, 1);
        EXPECT_LE(std::abs(left - (N - 1 - right)), 2) << "centred";
        EXPECT_EQ(lonelyRim, 0) << "the soft rim is one pixel wide";
        EXPECT_GT(solid, 2 * rim);
        EXPECT_GE(rim, 2 * 46) << "the rim runs all round";
        if (glyph.stemRow >= 0) {
            const std::vector<double> runs = InkRuns(tile, true, glyph.stemRow);
            ASSERT_FALSE(runs.empty());
            EXPECT_TRUE(runs.front() >= 10.5 && runs.front() <= 12.5) << runs.front();
        }
        if (glyph.bars > 0) {
            const std::vector<double> runs = InkRuns(tile, false, glyph.barColumn);
            ASSERT_EQ(runs.size(), size_t(glyph.bars));
            for (double thickness : runs)
                EXPECT_TRUE(thickness >= 7.0 && thickness <= 9.5) << thickness;
        }
    }
    for (size_t a = 0; a < tiles.size(); ++a)
        for (size_t b = a + 1; b < tiles.size(); ++b) {
            int differing = 0;
            for (int i = 0; i < N * N; ++i)
                differing += std::abs(tiles[a].pixels[i].r - tiles[b].pixels[i].r) > 127;
            EXPECT_GT(differing, 150) << GLYPHS[a].name << " and " << GLYPHS[b].name;
        }
}

TEST(House, HasItsColoursAtTheirPlacesOnGrassThatMeetsEveryEdge)
{
    const Picture grass = Load(GRASS), house = Load(HOUSE);
    const auto isGrass = [&](int x, int y) { return house.at(x, y) == grass.at(x, y); };
    struct Probe {
        int x, y;
        Rgb colour;
    };
    // Each probe's colour fills its 3 x 3 block less at most one pixel: the roof's dark dots.
    const Probe probes[] = {{31, 6, ROOF_BLUE}, {18, 25, ROOF_BLUE}, {44, 25, ROOF_BLUE},
        {26, 27, WHITE}, {31, 31, WHITE}, {31, 34, WHITE}, {19, 44, WHITE}, {43, 44, WHITE},
        {27, 45, DOOR_RED}, {34, 50, DOOR_RED}};
    for (const Probe& p : probes) {
        int matching = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                matching += house.at(p.x + dx, p.y + dy) == p.colour;
        EXPECT_GE(matching, 8) << "at " << p.x << "," << p.y;
    }
    // Grass outside the eaves (x 9 to 53), above the peak (y 1), below the
    // base line (y 56); the eaves reach exactly that far, the peak that high.
    int eavesLeft = N, eavesRight = -1;
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            if (x < 9 || x > 53 || y < 1 || y > 56)
                ASSERT_TRUE(isGrass(x, y)) << x << "," << y;
            if (y >= 29 && y <= 31 && !isGrass(x, y))
                eavesLeft = std::min(eavesLeft, x), eavesRight = std::max(eavesRight, x);
        }
    EXPECT_EQ(eavesLeft, 9);
    EXPECT_EQ(eavesRight, 53);
    EXPECT_FALSE(isGrass(31, 1));
    // The white wall from x 14 to 48, the black base line under it.
    for (int x = 13; x <= 49; ++x) {
        for (int y : {33, 45, 55})
            if (x < 25 || x > 36)
                EXPECT_EQ(house.at(x, y) == WHITE, x >= 14 && x <= 48) << x << "," << y;
        if (x >= 14 && x <= 48)
            EXPECT_EQ(house.at(x, 56), BLACK) << x;
    }
    // The door: dark red with the same two black columns, away from its edges.
    std::set<int> lineColumns;
    for (int y = 38; y <= 55; ++y) {
        int black = 0;
        for (int x = 26; x <= 35; ++x) {
            ASSERT_TRUE(house.at(x, y) == DOOR_RED || house.at(x, y) == BLACK) << x << "," << y;
            if (house.at(x, y) == BLACK)
                black += 1, lineColumns.insert(x);
        }
        EXPECT_EQ(black, 2) << "row " << y;
    }
    EXPECT_EQ(lineColumns.size(), 2u);
    EXPECT_FALSE(lineColumns.count(26) || lineColumns.count(35));
}

}  // namespace
