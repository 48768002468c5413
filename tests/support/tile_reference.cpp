#include "tests/support/tile_reference.h"

#include "mapview/tile_map.h"

#include <gtest/gtest.h>

namespace reference {
namespace {

TilePixels LoadTilePicture(int tileIndex)
{
    const std::vector<uint8_t> bytes = TileFileBytes(tileIndex);
    // 14 + 40 bytes of headers, then bottom-up rows of blue, green, red.
    if (bytes.size() != 54 + 64 * 64 * 3) {
        ADD_FAILURE() << "cannot read tile picture " << tileIndex;
        return {};
    }
    TilePixels pixels(64 * 64);
    for (int y = 0; y < 64; ++y) {
        const uint8_t* row = bytes.data() + 54 + (63 - y) * 192;
        for (int x = 0; x < 64; ++x) {
            const uint8_t b = row[x * 3], g = row[x * 3 + 1], r = row[x * 3 + 2];
            pixels[y * 64 + x]
                = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        }
    }
    return pixels;
}

}  // namespace

const std::array<TilePixels, TILE_COUNT>& AllTilePictures()
{
    static const std::array<TilePixels, TILE_COUNT> pictures = [] {
        std::array<TilePixels, TILE_COUNT> all;
        for (int i = 0; i < TILE_COUNT; ++i)
            all[i] = LoadTilePicture(i);
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
    if (frame.size() != static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT)
        return SCREEN_WIDTH * SCREEN_HEIGHT;
    int wrong = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            if (y < 20 && x < 400)
                continue;  // the legend
            wrong += frame[y * SCREEN_WIDTH + x]
                != MapPixel(viewRight - SCREEN_WIDTH + x, viewBottom - SCREEN_HEIGHT + y);
        }
    return wrong;
}

}  // namespace reference
