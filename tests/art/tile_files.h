// The committed tile pictures as the tests see them: the resource script's
// list, and a small BMP reader of the tests' own, independent of the layer's.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace art {

constexpr int TILE = 64;
constexpr int TILE_COUNT = 12;

struct ScriptEntry {
    std::string name;
    std::string file;
};

struct ResourceScript {
    std::vector<ScriptEntry> bitmaps;  // in the order of the script
    int languageStatements = 0;
    std::string language;  // "primary,sub" as written, spaces removed
    bool languageBeforeBitmaps = false;
};

struct Pixel {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

constexpr Pixel BLACK{0, 0, 0};
constexpr Pixel WHITE{255, 255, 255};
constexpr Pixel YELLOW{255, 255, 0};

struct Picture {
    std::array<Pixel, TILE * TILE> pixels{};
    const Pixel& at(int x, int y) const
    {
        return pixels[y * TILE + x];
    }
};

std::filesystem::path ResourcesDir();
ResourceScript ReadResourceScript();
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset);
uint16_t Le16(const std::vector<uint8_t>& bytes, size_t offset);

// The file of TileIndex `index` as named by the script ("TILE" + index + 1).
std::filesystem::path TileFile(int index);

// The picture of TileIndex `index`, top row first. Throws when the file is
// not a 64 x 64, 24-bit, bottom-up BMP with its pixels right after the headers.
Picture LoadTile(int index);

}  // namespace art
