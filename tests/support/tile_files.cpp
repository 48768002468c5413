// The committed tile files, through the resource script (apart, for suites without the map).
#include "tests/support/bmp_bytes.h"
#include "tests/support/tile_reference.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace reference {

std::vector<uint32_t> TileRgb(int tileIndex)
{
    const char* source = std::getenv("TILESCROLL_SOURCE_DIR");
    const std::string folder = std::string(source ? source : ".") + "/resources/";
    std::ifstream script(folder + "tiles.rc");
    const std::string wanted = "TILE" + std::to_string(tileIndex + 1) + " ";
    std::vector<uint8_t> bytes;
    for (std::string line; bytes.empty() && std::getline(script, line);) {
        const size_t open = line.find('"'), close = line.rfind('"');
        if (line.rfind(wanted, 0) == 0 && open != std::string::npos && close > open) {
            std::ifstream file(folder + line.substr(open + 1, close - open - 1), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
    }
    // Size, layout and format fields as any plain 64 x 64 24-bit .bmp has them.
    const std::vector<uint8_t> plain
        = bmptest::BuildBmp({64, 64}, std::vector<uint32_t>(64 * 64), true);
    if (bytes.size() != plain.size() || std::memcmp(plain.data(), bytes.data(), 34) != 0) {
        ADD_FAILURE() << "TILE" << tileIndex + 1 << " is not a plain 64 x 64 24-bit .bmp";
        return {};
    }
    std::vector<uint32_t> rgb(64 * 64);  // from rows stored bottom-up, as blue, green, red
    for (int i = 0; i < 64 * 64; ++i) {
        const uint8_t* p = &bytes[54 + ((63 - i / 64) * 64 + i % 64) * 3];
        rgb[i] = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
    return rgb;
}

}  // namespace reference
