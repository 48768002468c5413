// The tile walk against what a frame must be: an exact cover of the back
// buffer in which every pixel shows the map pixel under it.
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

// Checks one piece against the map pixel it must show at its top-left, and
// that it lies inside the back buffer, its tile and its map cell.
void ExpectPieceShowsMap(const TilePiece& p, int32_t viewRight, int32_t viewBottom)
{
    const int32_t mapX = viewRight - SCREEN_WIDTH + p.x;
    const int32_t mapY = viewBottom - SCREEN_HEIGHT + p.y;
    const int32_t width = p.source.right - p.source.left;
    const int32_t height = p.source.bottom - p.source.top;
    SCOPED_TRACE(testing::Message() << "view (" << viewRight << ", " << viewBottom << ") piece at ("
                                    << p.x << ", " << p.y << ")");
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    ASSERT_GE(p.source.left, 0);
    ASSERT_GE(p.source.top, 0);
    ASSERT_LE(p.source.right, TILE_SIZE);
    ASSERT_LE(p.source.bottom, TILE_SIZE);
    ASSERT_GE(p.x, 0);
    ASSERT_GE(p.y, 0);
    ASSERT_LE(p.x + width, SCREEN_WIDTH);
    ASSERT_LE(p.y + height, SCREEN_HEIGHT);
    // The cell under the piece's first pixel, found from map geometry alone.
    const int32_t column = mapX / TILE_SIZE;
    const int32_t row = mapY / TILE_SIZE;
    ASSERT_LT(column, MAP_COLUMNS);
    ASSERT_LT(row, MAP_ROWS);
    EXPECT_EQ(p.cell, row * MAP_COLUMNS + column);
    EXPECT_EQ(p.tile, TileMap[row * MAP_COLUMNS + column]);
    EXPECT_EQ(p.source.left, mapX % TILE_SIZE);
    EXPECT_EQ(p.source.top, mapY % TILE_SIZE);
    // A piece never spans two cells, so its whole rectangle maps linearly.
    EXPECT_EQ((mapX + width - 1) / TILE_SIZE, column);
    EXPECT_EQ((mapY + height - 1) / TILE_SIZE, row);
}

// Every back-buffer pixel covered exactly once, every piece mapped right.
void ExpectExactCover(int32_t viewRight, int32_t viewBottom)
{
    static std::array<uint8_t, SCREEN_WIDTH * SCREEN_HEIGHT> covered;
    covered.fill(0);
    for (const TilePiece& p : Walk(viewRight, viewBottom)) {
        ExpectPieceShowsMap(p, viewRight, viewBottom);
        if (testing::Test::HasFatalFailure())
            return;
        for (int32_t y = p.y; y < p.y + p.source.bottom - p.source.top; ++y)
            for (int32_t x = p.x; x < p.x + p.source.right - p.source.left; ++x)
                ++covered[y * SCREEN_WIDTH + x];
    }
    int wrong = 0;
    for (uint8_t count : covered)
        wrong += count != 1;
    EXPECT_EQ(wrong, 0) << "pixels not covered exactly once at view (" << viewRight << ", "
                        << viewBottom << ")";
}

// The widths of the pieces of the first row, from the left.
std::vector<int32_t> RowWidths(int32_t viewRight, int32_t viewBottom)
{
    std::vector<int32_t> widths;
    for (const TilePiece& p : Walk(viewRight, viewBottom))
        if (p.y == 0)
            widths.push_back(p.source.right - p.source.left);
    return widths;
}

// The heights of the rows, from the top.
std::vector<int32_t> RowHeights(int32_t viewRight, int32_t viewBottom)
{
    std::vector<int32_t> heights;
    for (const TilePiece& p : Walk(viewRight, viewBottom))
        if (p.x == 0)
            heights.push_back(p.source.bottom - p.source.top);
    return heights;
}

}  // namespace

// The walk is separable: columns depend on viewRight alone and rows on
// viewBottom alone. So every value of each is checked against a few of the
// other, and the product is sampled below.
TEST(TileWalk, EveryViewRightCoversTheFirstAndLastRowsExactly)
{
    for (int32_t viewBottom : {SCREEN_HEIGHT, 512, 540, VIEW_BOTTOM_MAX}) {
        for (int32_t viewRight = SCREEN_WIDTH; viewRight <= VIEW_RIGHT_MAX; ++viewRight) {
            std::vector<TilePiece> pieces = Walk(viewRight, viewBottom);
            int32_t nextX = 0;
            for (const TilePiece& p : pieces) {
                if (p.y != 0)
                    break;
                ExpectPieceShowsMap(p, viewRight, viewBottom);
                ASSERT_EQ(p.x, nextX) << "gap or overlap at viewRight " << viewRight;
                nextX = p.x + p.source.right - p.source.left;
            }
            ASSERT_EQ(nextX, SCREEN_WIDTH) << "row short or long at viewRight " << viewRight;
            ASSERT_FALSE(HasFailure());
        }
    }
}

TEST(TileWalk, EveryViewBottomCoversTheFirstAndLastColumnsExactly)
{
    for (int32_t viewRight : {SCREEN_WIDTH, 644, 700, VIEW_RIGHT_MAX}) {
        for (int32_t viewBottom = SCREEN_HEIGHT; viewBottom <= VIEW_BOTTOM_MAX; ++viewBottom) {
            int32_t nextY = 0;
            for (const TilePiece& p : Walk(viewRight, viewBottom)) {
                if (p.x != 0)
                    continue;
                ExpectPieceShowsMap(p, viewRight, viewBottom);
                ASSERT_EQ(p.y, nextY) << "gap or overlap at viewBottom " << viewBottom;
                nextY = p.y + p.source.bottom - p.source.top;
            }
            ASSERT_EQ(nextY, SCREEN_HEIGHT) << "column short or long at viewBottom " << viewBottom;
            ASSERT_FALSE(HasFailure());
        }
    }
}

TEST(TileWalk, SampledViewsCoverTheBackBufferExactlyOnce)
{
    // Every offset pair s, t occurs, at map positions spread over the map,
    // plus the four corners of the bounds.
    for (int32_t s = 0; s < TILE_SIZE; s += 3) {
        for (int32_t t = 0; t < TILE_SIZE; t += 5) {
            const int32_t viewRight = SCREEN_WIDTH + s + TILE_SIZE * ((s * 7 + t) % 22);
            const int32_t viewBottom = SCREEN_HEIGHT + t + TILE_SIZE * ((t * 3 + s) % 24);
            ExpectExactCover(viewRight, viewBottom);
            ASSERT_FALSE(HasFailure());
        }
    }
    for (int32_t viewRight : {SCREEN_WIDTH, VIEW_RIGHT_MAX})
        for (int32_t viewBottom : {SCREEN_HEIGHT, VIEW_BOTTOM_MAX})
            ExpectExactCover(viewRight, viewBottom);
}

TEST(TileWalk, PiecesComeInRowsFromTheTopAndLeftToRight)
{
    for (auto [viewRight, viewBottom] : {std::pair{640, 480}, {1000, 1001}, {2048, 2047}}) {
        std::vector<TilePiece> pieces = Walk(viewRight, viewBottom);
        for (size_t i = 1; i < pieces.size(); ++i) {
            const TilePiece& a = pieces[i - 1];
            const TilePiece& b = pieces[i];
            EXPECT_TRUE(b.y > a.y || (b.y == a.y && b.x > a.x)) << "piece " << i;
        }
    }
}

// The shape of the cover follows from s = left mod 64 and t = top mod 64.
TEST(TileWalk, ShapeFollowsTheOffsets)
{
    for (int32_t s = 0; s < TILE_SIZE; ++s) {
        std::vector<int32_t> expected;
        if (s == 0) {
            expected.assign(10, 64);
        } else {
            expected.push_back(64 - s);
            expected.insert(expected.end(), 9, 64);
            expected.push_back(s);
        }
        EXPECT_EQ(RowWidths(SCREEN_WIDTH + s + 128, SCREEN_HEIGHT), expected) << "s " << s;
    }
    for (int32_t t = 0; t < TILE_SIZE; ++t) {
        std::vector<int32_t> expected;
        if (t == 0) {
            expected.assign(7, 64);
            expected.push_back(32);
        } else if (t < 32) {
            expected.push_back(64 - t);
            expected.insert(expected.end(), 6, 64);
            expected.push_back(32 + t);
        } else if (t == 32) {
            expected.push_back(32);
            expected.insert(expected.end(), 7, 64);
        } else {
            expected.push_back(64 - t);
            expected.insert(expected.end(), 7, 64);
            expected.push_back(t - 32);
        }
        EXPECT_EQ(RowHeights(SCREEN_WIDTH, SCREEN_HEIGHT + t + 64), expected) << "t " << t;
    }
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

TEST(TileWalk, BoundaryViewsShowTheRightCells)
{
    // The start view: map rows 0..7, columns 0..9; the last row shows the
    // top halves of its tiles.
    std::vector<TilePiece> start = Walk(640, 480);
    ASSERT_EQ(start.size(), 80u);
    EXPECT_EQ(start.front().cell, 0);
    EXPECT_EQ(start.back().cell, 7 * MAP_COLUMNS + 9);
    EXPECT_EQ(start.back().y, 448);
    EXPECT_EQ(start.back().source.bottom, 32);

    // At the bottom limit the map's last pixel row stays out of view.
    std::vector<TilePiece> bottom = Walk(2048, 2047);
    EXPECT_EQ(bottom.front().cell, 24 * MAP_COLUMNS + 22);
    EXPECT_EQ(bottom.front().source.top, 31);
    EXPECT_EQ(bottom.back().cell, 31 * MAP_COLUMNS + 31);
    EXPECT_EQ(bottom.back().y, 417);
    EXPECT_EQ(bottom.back().source.bottom, 63);
    EXPECT_EQ(bottom.back().x + bottom.back().source.right, 640);
}
