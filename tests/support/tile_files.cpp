// The committed tile files, found through the resource script. Apart from
// tile_reference.cpp so that suites without the map can link it.
#include "tests/support/tile_reference.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace reference {

std::vector<uint8_t> TileFileBytes(int tileIndex)
{
    // The name given in resources/tiles.rc, found by its number.
    const char* source = std::getenv("TILESCROLL_SOURCE_DIR");
    const std::string resources = std::string(source ? source : ".") + "/resources/";
    std::ifstream script(resources + "tiles.rc");
    const std::string wanted = "TILE" + std::to_string(tileIndex + 1) + " ";
    std::string line;
    while (std::getline(script, line)) {
        const size_t open = line.find('"');
        const size_t close = line.rfind('"');
        if (line.rfind(wanted, 0) == 0 && open != std::string::npos && close > open) {
            std::ifstream file(
                resources + line.substr(open + 1, close - open - 1), std::ios::binary);
            return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        }
    }
    return {};
}

}  // namespace reference
