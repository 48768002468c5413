// The twelve tile pictures, in TileIndex order, and the resource script that
// names them: the one list of the tiles, from which the script is written.
#pragma once

#include <filesystem>
#include <span>
#include <string_view>

namespace tilegen {

enum class TileKind { Grass, Stone, Glyph, House };

struct TileSpec {
    std::string_view resource;  // "TILE" followed by TileIndex + 1
    std::string_view file;
    TileKind kind;
    char32_t glyph = 0;  // Glyph tiles only
    int glyphWidth = 0;  // pixels, rim included
};

std::span<const TileSpec> TileSpecs();

// Draws every tile into `resources` as a BMP and writes tiles.rc beside them,
// and the program's icon, drawn from the house tile, into resources/icons.
void GenerateTileSet(const std::filesystem::path& resources, const std::filesystem::path& font);

}  // namespace tilegen
