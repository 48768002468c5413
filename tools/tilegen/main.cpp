// tilegen: draws the twelve tile pictures into resources/ and writes the
// resource script that names them, then the program's icon from the house
// tile. Deterministic: the same font and zlib give the same bytes on every run.
#include "tile_set.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tilegen RESOURCES_DIR [FONT_FILE]\n");
        return 2;
    }
    const std::filesystem::path font
        = argc == 3 ? argv[2] : "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    try {
        tilegen::GenerateTileSet(argv[1], font);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tilegen: %s\n", error.what());
        return 1;
    }
    return 0;
}
