// The tile walk against what a frame must be: an exact cover of the back
// buffer, in drawing order, in which every pixel shows the map pixel under it.
#include "mapview/tile_walk.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<TilePiece> Walk(int32_t viewRight, int32_t viewBottom)
{
    std::vector<TilePiece> pieces;
    ComputeTilePieces(viewRight, viewBottom, [&](const TilePiece& p) { pieces.push_back(p); });
    return pieces;
}

int32_t Width(const TilePiece& p)
{
    return p.source.right - p.source.left;
}
int32_t Height(const TilePiece& p)
{
    return p.source.bottom - p.source.top;
}

// One piece against the map pixel under its top-left corner: non-empty,
// inside the back buffer, its tile and one map cell of the right row.
void ExpectPieceShowsMap(const TilePiece& p, int32_t viewRight, int32_t viewBottom)
{
    const int32_t mapX = viewRight - SCREEN_WIDTH + p.x;
    const int32_t mapY = viewBottom - SCREEN_HEIGHT + p.y;
    SCOPED_TRACE(testing::Message() << "view (" << viewRight << ", " << viewBottom << ") piece at ("
                                    << p.x << ", " << p.y << ")");
    ASSERT_GT(Width(p), 0);
    ASSERT_GT(Height(p), 0);
    ASSERT_TRUE(p.source.left >= 0 && p.source.top >= 0 && p.source.right <= TILE_SIZE
        && p.source.bottom <= TILE_SIZE);
    ASSERT_TRUE(
        p.x >= 0 && p.y >= 0 && p.x + Width(p) <= SCREEN_WIDTH && p.y + Height(p) <= SCREEN_HEIGHT);
    const int32_t column = mapX / TILE_SIZE, row = mapY / TILE_SIZE;
    ASSERT_TRUE(column < MAP_COLUMNS && row < MAP_ROWS);
    EXPECT_EQ(p.cell, row * MAP_COLUMNS + column);
    EXPECT_EQ(p.tile, TileMap[row * MAP_COLUMNS + column]);
    EXPECT_EQ(p.source.left, mapX % TILE_SIZE);
    EXPECT_EQ(p.source.top, mapY % TILE_SIZE);
    // A piece never spans two cells, so its whole rectangle maps linearly.
    EXPECT_EQ((mapX + Width(p) - 1) / TILE_SIZE, column);
    EXPECT_EQ((mapY + Height(p) - 1) / TILE_SIZE, row);
}

// The walk is separable: columns depend on viewRight alone and rows on
// viewBottom alone. So every value of each is checked along the first row
// (or column) at a few values of the other, and whole covers are sampled.
TEST(TileWalk, EveryViewPositionCoversTheFirstRowAndColumnExactly)
{
    for (bool alongRow : {true, false}) {
        const int32_t first = alongRow ? SCREEN_WIDTH : SCREEN_HEIGHT;
        const int32_t last = alongRow ? VIEW_RIGHT_MAX : VIEW_BOTTOM_MAX;
        const int32_t length = alongRow ? SCREEN_WIDTH : SCREEN_HEIGHT;
        for (int32_t other : {0, 4, 32, 60, alongRow ? 1567 : 1408}) {
            for (int32_t position = first; position <= last; ++position) {
                const int32_t right = alongRow ? position : SCREEN_WIDTH + other;
                const int32_t bottom = alongRow ? SCREEN_HEIGHT + other : position;
                int32_t next = 0;
                for (const TilePiece& p : Walk(right, bottom)) {
                    if ((alongRow ? p.y : p.x) != 0)
                        continue;
                    ExpectPieceShowsMap(p, right, bottom);
                    ASSERT_EQ(alongRow ? p.x : p.y, next) << "gap or overlap at " << position;
                    next += alongRow ? Width(p) : Height(p);
                }
                ASSERT_EQ(next, length) << "short or long at " << right << ", " << bottom;
                ASSERT_FALSE(HasFailure());
            }
        }
    }
}

void ExpectExactCoverInDrawingOrder(int32_t viewRight, int32_t viewBottom)
{
    static std::array<uint8_t, SCREEN_WIDTH * SCREEN_HEIGHT> covered;
    covered.fill(0);
    const std::vector<TilePiece> pieces = Walk(viewRight, viewBottom);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const TilePiece& p = pieces[i];
        ExpectPieceShowsMap(p, viewRight, viewBottom);
        if (testing::Test::HasFatalFailure())
            return;
        if (i > 0)
            EXPECT_TRUE(p.y > pieces[i - 1].y || (p.y == pieces[i - 1].y && p.x > pieces[i - 1].x))
                << "rows from the top, each from the left: piece " << i;
        for (int32_t y = p.y; y < p.y + Height(p); ++y)
            for (int32_t x = p.x; x < p.x + Width(p); ++x)
                ++covered[y * SCREEN_WIDTH + x];
    }
    int wrong = 0;
    for (uint8_t count : covered)
        wrong += count != 1;
    EXPECT_EQ(wrong, 0) << "pixels not covered exactly once at view (" << viewRight << ", "
                        << viewBottom << ")";
}

TEST(TileWalk, SampledViewsCoverTheBackBufferExactlyOnceInDrawingOrder)
{
    // Offset pairs s, t spread over all of 0..63, at map positions spread
    // over the map, and the four corners of the bounds.
    for (int32_t s = 0; s < TILE_SIZE; s += 3) {
        for (int32_t t = 0; t < TILE_SIZE; t += 5) {
            ExpectExactCoverInDrawingOrder(SCREEN_WIDTH + s + TILE_SIZE * ((s * 7 + t) % 22),
                SCREEN_HEIGHT + t + TILE_SIZE * ((t * 3 + s) % 24));
            ASSERT_FALSE(HasFailure());
        }
    }
    for (int32_t viewRight : {SCREEN_WIDTH, VIEW_RIGHT_MAX})
        for (int32_t viewBottom : {SCREEN_HEIGHT, VIEW_BOTTOM_MAX})
            ExpectExactCoverInDrawingOrder(viewRight, viewBottom);
}

TEST(TileWalk, FramesBlitEightyToNinetyNinePieces)
{
    struct Case {
        int32_t viewRight, viewBottom;
        size_t pieces;
    };
    for (Case c : {Case{640, 480, 80}, {644, 480, 88}, {640, 540, 90}, {644, 540, 99}}) {
        EXPECT_EQ(Walk(c.viewRight, c.viewBottom).size(), c.pieces)
            << c.viewRight << ", " << c.viewBottom;
        EXPECT_LE(c.pieces, static_cast<size_t>(MAX_TILE_PIECES));
    }
}

}  // namespace
