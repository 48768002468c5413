#include "tests/support/tile_reference.h"

#include "mapview/tile_map.h"

namespace reference {

const std::array<TilePixels, TILE_COUNT>& AllTilePictures()
{
    static const std::array<TilePixels, TILE_COUNT> pictures = [] {
        std::array<TilePixels, TILE_COUNT> all;
        for (int i = 0; i < TILE_COUNT; ++i)
            for (uint32_t rgb : TileRgb(i))
                all[i].push_back(static_cast<uint16_t>(
                    (rgb >> 19 & 0x1F) << 11 | (rgb >> 10 & 0x3F) << 5 | (rgb >> 3 & 0x1F)));
        return all;
    }();
    return pictures;
}

static uint16_t MapPixel(int32_t x, int32_t y)
{
    const TilePixels& tile = AllTilePictures()[TileMap[(y / 64) * MAP_COLUMNS + x / 64]];
    return tile.empty() ? 0 : tile[(y % 64) * 64 + x % 64];
}

int WrongFramePixels(const std::vector<uint16_t>& frame, int32_t viewRight, int32_t viewBottom)
{
    if (frame.size() != static_cast<std::size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT)
        return SCREEN_WIDTH * SCREEN_HEIGHT;
    int wrong = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            wrong += (y >= 20 || x >= 400)  // the legend aside
                && frame[y * SCREEN_WIDTH + x]
                    != MapPixel(viewRight - SCREEN_WIDTH + x, viewBottom - SCREEN_HEIGHT + y);
    return wrong;
}

}  // namespace reference
