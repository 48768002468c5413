// The nine lettering tiles: yellow glyphs of a heavy sans-serif painted over
// the grass picture, which must stay untouched around them so lettering
// cells join grass cells and one another without a seam.
#include "art/tile_files.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace art {
namespace {

constexpr int GRASS = 0;
constexpr int BORDER = 5;

struct GlyphCase {
    const char* name;
    int tile;
    int width;
};

// TILE3 to TILE5 carry the first three letters of the word in row 21.
constexpr GlyphCase GLYPHS[] = {
    {"T", 2, 44},
    {"O", 3, 46},
    {"M", 4, 52},
    {"R", 5, 44},
    {"U", 6, 42},
    {"L", 7, 33},
    {"E", 8, 34},
    {"S", 9, 40},
    {"Exclamation", 10, 13},
};

// A row whose first ink run crosses a stem (the round O's side included).
struct StemCase {
    const char* name;
    int tile;
    int row;
};

constexpr StemCase STEMS[] = {
    {"T", 2, 30},
    {"O", 3, 30},
    {"M", 4, 48},
    {"R", 5, 48},
    {"U", 6, 20},
    {"L", 7, 20},
    {"E", 8, 20},
    {"ExclamationBar", 10, 20},
};

// A column that crosses nothing but bars (the O's and U's curves included).
struct BarCase {
    const char* name;
    int tile;
    int column;
    int bars;
};

constexpr BarCase BARS[] = {
    {"T", 2, 14, 1},
    {"O", 3, 31, 2},
    {"R", 5, 26, 2},
    {"U", 6, 31, 1},
    {"L", 7, 44, 1},
    {"E", 8, 45, 3},
};

// Failures name the glyph rather than dumping the case's bytes.
void PrintTo(const GlyphCase& c, std::ostream* os)
{
    *os << c.name;
}
void PrintTo(const StemCase& c, std::ostream* os)
{
    *os << c.name << " row " << c.row;
}
void PrintTo(const BarCase& c, std::ostream* os)
{
    *os << c.name << " column " << c.column;
}

// How much of the pixel is yellow: grass has no red, the glyph is all red.
double Ink(const Pixel& p)
{
    return p.red / 255.0;
}

struct Box {
    int left = TILE;
    int top = TILE;
    int right = -1;
    int bottom = -1;
};

Box GlyphBox(const Picture& tile, const Picture& grass)
{
    Box box;
    for (int y = 0; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            if (tile.at(x, y) != grass.at(x, y)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

// Ink widths of the runs of touched pixels along a row or column.
std::vector<double> InkRuns(const Picture& tile, bool alongRow, int line)
{
    std::vector<double> runs;
    bool inRun = false;
    for (int i = 0; i < TILE; ++i) {
        const double ink = Ink(alongRow ? tile.at(i, line) : tile.at(line, i));
        if (ink > 0) {
            if (!inRun) {
                runs.push_back(0);
            }
            runs.back() += ink;
        }
        inRun = ink > 0;
    }
    return runs;
}

class GlyphTile : public testing::TestWithParam<GlyphCase> {
protected:
    const Picture grass = LoadTile(GRASS);
    const Picture tile = LoadTile(GetParam().tile);
};

TEST_P(GlyphTile, IsYellowBlendedOverTheGrassAndNothingElse)
{
    for (int y = 0; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            const Pixel p = tile.at(x, y);
            const int under = grass.at(x, y).green;
            // Blending yellow over (0, g, 0) by a gives (255a, g + (255 - g)a, 0).
            const double ink = Ink(p);
            ASSERT_EQ(p.blue, 0) << "at " << x << "," << y;
            ASSERT_NEAR(p.green, under + (255 - under) * ink, 1.0) << "at " << x << "," << y;
        }
    }
}

TEST_P(GlyphTile, LeavesTheBorderExactlyAsTheGrass)
{
    for (int y = 0; y < TILE; ++y) {
        for (int x = 0; x < TILE; ++x) {
            const bool border
                = x < BORDER || y < BORDER || x >= TILE - BORDER || y >= TILE - BORDER;
            if (border) {
                ASSERT_EQ(tile.at(x, y), grass.at(x, y)) << "at " << x << "," << y;
            }
        }
    }
}

TEST_P(GlyphTile, HasItsHeightWidthAndPlace)
{
    const Box box = GlyphBox(tile, grass);
    const int height = box.bottom - box.top + 1;
    const int width = box.right - box.left + 1;
    EXPECT_TRUE(box.top == 6 || box.top == 7) << box.top;
    EXPECT_TRUE(box.bottom == 52 || box.bottom == 53) << box.bottom;
    EXPECT_GE(height, 46);
    EXPECT_LE(height, 48);
    EXPECT_NEAR(width, GetParam().width, 1);
    // Centred: as much grass to the left as to the right, within a pixel.
    EXPECT_LE(std::abs(box.left - (TILE - 1 - box.right)), 2) << box.left << ".." << box.right;
}

TEST_P(GlyphTile, IsSolidYellowInsideASoftRimOnePixelWide)
{
    int solid = 0;
    int rim = 0;
    for (int y = 1; y < TILE - 1; ++y) {
        for (int x = 1; x < TILE - 1; ++x) {
            const Pixel p = tile.at(x, y);
            if (p == YELLOW) {
                ++solid;
                continue;
            }
            if (p == grass.at(x, y)) {
                continue;
            }
            ++rim;
            bool nextToSolid = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    nextToSolid = nextToSolid || tile.at(x + dx, y + dy) == YELLOW;
                }
            }
            EXPECT_TRUE(nextToSolid)
                << "rim pixel " << x << "," << y << " is not next to the glyph";
        }
    }
    EXPECT_GT(solid, 2 * rim);
    // The rim runs all round the glyph: at least one pixel per outline row on
    // each side.
    EXPECT_GE(rim, 2 * 46);
}

INSTANTIATE_TEST_SUITE_P(Lettering, GlyphTile, testing::ValuesIn(GLYPHS),
    [](const testing::TestParamInfo<GlyphCase>& info) { return std::string(info.param.name); });

class GlyphStem : public testing::TestWithParam<StemCase> { };

TEST_P(GlyphStem, IsElevenToTwelvePixelsWide)
{
    const std::vector<double> runs = InkRuns(LoadTile(GetParam().tile), true, GetParam().row);
    ASSERT_FALSE(runs.empty());
    EXPECT_GE(runs.front(), 10.5);
    EXPECT_LE(runs.front(), 12.5);
}

INSTANTIATE_TEST_SUITE_P(Lettering, GlyphStem, testing::ValuesIn(STEMS),
    [](const testing::TestParamInfo<StemCase>& info) { return std::string(info.param.name); });

class GlyphBars : public testing::TestWithParam<BarCase> { };

TEST_P(GlyphBars, AreAboutEightPixelsThick)
{
    const std::vector<double> runs = InkRuns(LoadTile(GetParam().tile), false, GetParam().column);
    ASSERT_EQ(runs.size(), size_t(GetParam().bars));
    for (double thickness : runs) {
        EXPECT_GE(thickness, 7.0);
        EXPECT_LE(thickness, 9.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Lettering, GlyphBars, testing::ValuesIn(BARS),
    [](const testing::TestParamInfo<BarCase>& info) { return std::string(info.param.name); });

TEST(Glyphs, AreNineDifferentShapes)
{
    std::vector<Picture> tiles;
    for (const GlyphCase& glyph : GLYPHS) {
        tiles.push_back(LoadTile(glyph.tile));
    }
    for (size_t a = 0; a < tiles.size(); ++a) {
        for (size_t b = a + 1; b < tiles.size(); ++b) {
            int differing = 0;
            for (int i = 0; i < TILE * TILE; ++i) {
                differing += std::abs(Ink(tiles[a].pixels[i]) - Ink(tiles[b].pixels[i])) > 0.5;
            }
            // Well beyond what a shifted or slightly resized copy would give.
            EXPECT_GT(differing, 150) << GLYPHS[a].name << " and " << GLYPHS[b].name;
        }
    }
}

}  // namespace
}  // namespace art
