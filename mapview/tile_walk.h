// The tile walk: which piece of which tile goes where on the back buffer.
// Platform-free; it allocates nothing and hands each piece on as it is made.
#pragma once

#include "mapview/map_constants.h"
#include "mapview/tile_map.h"

#include <cstdint>

// Source rectangle of a piece within its 64 x 64 tile; right and bottom are
// exclusive. Laid out like the platform's RECT so it can be handed to a blit.
struct TileRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct TilePiece {
    int32_t x;  // back-buffer column of the piece's left edge
    int32_t y;  // back-buffer row of the piece's top edge
    int32_t cell;  // index into TileMap of the cell shown
    TileIndex tile;
    TileRect source;
};

// Upper bound of pieces in one frame (11 a row, 9 rows).
constexpr int32_t MAX_TILE_PIECES = 99;

// Calls emit(const TilePiece&) for each piece covering the 640 x 480 back
// buffer, rows from the top and, within a row, from the left. Defined for
// viewRight in 640..2048 and viewBottom in 480..2047; the tiles are clipped
// at all four screen edges here, so the blit never needs to clip.
template <typename Emit>
inline void ComputeTilePieces(int32_t viewRight, int32_t viewBottom, Emit&& emit)
{
    const int32_t left = viewRight - SCREEN_WIDTH;
    const int32_t top = viewBottom - SCREEN_HEIGHT;
    const int32_t s = left % TILE_SIZE;
    const int32_t t = top % TILE_SIZE;

    int32_t rowStart = (top / TILE_SIZE) * MAP_COLUMNS + left / TILE_SIZE;
    TilePiece piece;
    piece.source.left = s;
    piece.source.top = t;
    piece.source.right = TILE_SIZE;
    piece.source.bottom = TILE_SIZE;
    piece.y = 0;

    const int32_t maxRows = viewBottom / TILE_SIZE + 1;
    const int32_t maxPieces = viewRight / TILE_SIZE + 1;
    for (int32_t row = 0; row < maxRows; ++row) {
        piece.x = 0;
        piece.source.left = s;
        piece.source.right = TILE_SIZE;
        int32_t cell = rowStart;
        for (int32_t column = 0; column < maxPieces; ++column) {
            piece.cell = cell;
            piece.tile = TileMap[cell];
            emit(static_cast<const TilePiece&>(piece));
            piece.x += TILE_SIZE - piece.source.left;
            ++cell;
            piece.source.left = 0;
            piece.source.right = TILE_SIZE;
            const int32_t remainingWidth = SCREEN_WIDTH - piece.x;
            if (remainingWidth <= 0)
                break;
            if (remainingWidth < TILE_SIZE)
                piece.source.right = remainingWidth;  // cut at the right edge
        }
        piece.y += TILE_SIZE - piece.source.top;
        rowStart += MAP_COLUMNS;
        piece.source.top = 0;
        piece.source.bottom = TILE_SIZE;
        const int32_t remainingHeight = SCREEN_HEIGHT - piece.y;
        if (remainingHeight <= 0)
            break;
        if (remainingHeight < TILE_SIZE)
            piece.source.bottom = remainingHeight;  // cut at the bottom edge
    }
}
