#include "tile_set.h"

#include "bmp_writer.h"
#include "glyph_raster.h"
#include "grass.h"
#include "house.h"
#include "icon.h"
#include "stone.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace tilegen {

namespace {

// Fixed seeds: re-running the generator reproduces the committed pictures.
constexpr uint64_t GRASS_SEED = 0x6A7A55;
constexpr uint64_t STONE_SEED = 0x57;
constexpr uint64_t HOUSE_SEED = 0x40;

// Every glyph shares one height; y 6 to 52 inclusive leaves at least
// 5 pixels of plain grass above and below it.
constexpr int GLYPH_TOP = 6;
constexpr int GLYPH_HEIGHT = 47;

// Row 21 of the map reads TOMRTOM RULES!: the three letters before the R
// come first, and are drawn a little wider than the font draws them, like
// the rest of the lettering.
constexpr TileSpec TILES[] = {
    {"TILE1", "tile01_grass.bmp", TileKind::Grass},
    {"TILE2", "tile02_stone.bmp", TileKind::Stone},
    {"TILE3", "tile03_letter_t.bmp", TileKind::Glyph, U'T', 44},
    {"TILE4", "tile04_letter_o.bmp", TileKind::Glyph, U'O', 46},
    {"TILE5", "tile05_letter_m.bmp", TileKind::Glyph, U'M', 52},
    {"TILE6", "tile06_letter_r.bmp", TileKind::Glyph, U'R', 44},
    {"TILE7", "tile07_letter_u.bmp", TileKind::Glyph, U'U', 42},
    {"TILE8", "tile08_letter_l.bmp", TileKind::Glyph, U'L', 33},
    {"TILE9", "tile09_letter_e.bmp", TileKind::Glyph, U'E', 34},
    {"TILE10", "tile10_letter_s.bmp", TileKind::Glyph, U'S', 40},
    {"TILE11", "tile11_exclamation.bmp", TileKind::Glyph, U'!', 13},
    {"TILE12", "tile12_house.bmp", TileKind::House},
};

void WriteResourceScript(const std::filesystem::path& path)
{
    std::ofstream script(path, std::ios::trunc);
    script << "// The tile pictures, TILE1 to TILE12 in the order of their TileIndex.\n"
              "// Written by tools/tilegen. The Windows build compiles this script; the\n"
              "// Linux build reads the same lines to embed the bitmaps.\n"
              "\n"
              "LANGUAGE 9, 1  // English (United States): 1033\n"
              "\n";
    for (const TileSpec& tile : TILES) {
        script << tile.resource << " BITMAP \"" << tile.file << "\"\n";
    }
    if (!script) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace

std::span<const TileSpec> TileSpecs()
{
    return TILES;
}

void GenerateTileSet(const std::filesystem::path& resources, const std::filesystem::path& font)
{
    const FontFace face(font);
    const TileImage grass = DrawGrass(GRASS_SEED);

    for (const TileSpec& tile : TILES) {
        TileImage image;
        switch (tile.kind) {
        case TileKind::Grass:
            image = grass;
            break;
        case TileKind::Stone:
            image = DrawStone(STONE_SEED);
            break;
        case TileKind::Glyph: {
            // Centred; an odd width leans half a pixel to the left.
            const GlyphBox box{
                (TILE_SIZE - tile.glyphWidth) / 2, GLYPH_TOP, tile.glyphWidth, GLYPH_HEIGHT};
            image = grass;
            PaintCoverage(image, face.Rasterise(tile.glyph, box), YELLOW);
            break;
        }
        case TileKind::House:
            image = DrawHouse(grass, HOUSE_SEED);
            break;
        }
        WriteBmp(resources / tile.file, image);
    }
    WriteResourceScript(resources / "tiles.rc");
    WriteIcons(resources / "icons", DrawHouse(grass, HOUSE_SEED));
}

}  // namespace tilegen
