// The tile walk: an exact cover of the back buffer, each pixel from the map pixel under it.
#include "mapview/tile_walk.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Each piece comes from the map cell under its top-left corner and stays within it.
void ExpectExactCover(int32_t viewRight, int32_t viewBottom)
{
    SCOPED_TRACE(testing::Message() << "view (" << viewRight << ", " << viewBottom << ")");
    std::vector<uint8_t> covered(SCREEN_WIDTH * SCREEN_HEIGHT, 0);
    std::vector<TilePiece> pieces;
    ComputeTilePieces(viewRight, viewBottom, [&](const TilePiece& p) { pieces.push_back(p); });
    for (size_t i = 0; i < pieces.size(); ++i) {
        const TilePiece& p = pieces[i];
        const int32_t width = p.source.right - p.source.left;
        const int32_t height = p.source.bottom - p.source.top;
        const int32_t mapX = viewRight - SCREEN_WIDTH + p.x,
                      mapY = viewBottom - SCREEN_HEIGHT + p.y;
        const int32_t cell = (mapY / TILE_SIZE) * MAP_COLUMNS + mapX / TILE_SIZE;
        ASSERT_TRUE(width > 0 && height > 0 && p.source.right <= TILE_SIZE
            && p.source.bottom <= TILE_SIZE && p.x >= 0 && p.y >= 0 && p.x + width <= SCREEN_WIDTH
            && p.y + height <= SCREEN_HEIGHT)
            << "piece " << i << " at " << p.x << ", " << p.y;
        EXPECT_TRUE(p.cell == cell && p.tile == TileMap[cell] && p.source.left == mapX % TILE_SIZE
            && p.source.top == mapY % TILE_SIZE)
            << "piece " << i;
        for (int32_t y = p.y; y < p.y + height; ++y)
            for (int32_t x = p.x; x < p.x + width; ++x)
                ++covered[y * SCREEN_WIDTH + x];
    }
    int wrong = 0;
    for (uint8_t count : covered)
        wrong += count != 1;
    EXPECT_EQ(wrong, 0) << "pixels not covered exactly once";
    EXPECT_LE(pieces.size(), static_cast<size_t>(MAX_TILE_PIECES));
}

TEST(TileWalk, EveryOffsetAndTheBoundsCoverTheBackBufferExactlyOnce)
{
    // Columns follow viewRight alone, rows viewBottom: each offset s pairs with some t.
    for (int32_t s = 0; s < TILE_SIZE; ++s) {
        const int32_t t = s * 37 % TILE_SIZE;
        ExpectExactCover(SCREEN_WIDTH + s + TILE_SIZE * (s * 7 % 22),
            SCREEN_HEIGHT + t + TILE_SIZE * (t * 3 % 24));
        ASSERT_FALSE(HasFailure());
    }
    for (int32_t viewRight : {SCREEN_WIDTH, VIEW_RIGHT_MAX - 1, VIEW_RIGHT_MAX})
        for (int32_t viewBottom : {SCREEN_HEIGHT, VIEW_BOTTOM_MAX})
            ExpectExactCover(viewRight, viewBottom);
}

}  // namespace
