// Which resource feeds which tile surface, in what order the tiles load, and
// when a failed tile ends the run. No platform call here: the loader passes
// the platform operations in.
#pragma once

#include "display/display_constants.h"

#include <cstdio>

// "TILE" and up to two digits, and the terminator.
constexpr int TILE_NAME_SIZE = 8;

// Tile i comes from the resource "TILE<i + 1>", without leading zeros.
inline void TileResourceName(TileIndex tileIndex, char (&name)[TILE_NAME_SIZE])
{
    std::snprintf(name, sizeof(name), "TILE%u", tileIndex + 1u);
}

// Loads all twelve tiles in index order, whatever happens to any of them:
// load(name) gives a bitmap or null, copy(i, bitmap) gives 0 on success,
// release(bitmap) ends a loaded bitmap before the next load, and quit() is
// asked for once, after the twelfth tile, when any tile failed.
template <typename Load, typename Copy, typename Release, typename Quit>
void LoadTilesInOrder(Load load, Copy copy, Release release, Quit quit)
{
    bool anyFailed = false;
    char name[TILE_NAME_SIZE];
    for (int i = 0; i < TILE_COUNT; i++) {
        TileResourceName(static_cast<TileIndex>(i), name);
        auto bitmap = load(name);
        if (copy(i, bitmap) != 0)
            anyFailed = true;
        if (bitmap != nullptr)
            release(bitmap);
    }
    if (anyFailed)
        quit();
}
