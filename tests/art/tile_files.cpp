#include "art/tile_files.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>

namespace art {

std::filesystem::path ResourcesDir()
{
    const char* top = std::getenv("TILESCROLL_SOURCE_DIR");
    if (top == nullptr) {
        throw std::runtime_error("TILESCROLL_SOURCE_DIR is not set");
    }
    return std::filesystem::path(top) / "resources";
}

ResourceScript ReadResourceScript()
{
    std::ifstream file(ResourcesDir() / "tiles.rc");
    if (!file) {
        throw std::runtime_error("cannot read resources/tiles.rc");
    }
    static const std::regex bitmap(R"(^\s*([A-Za-z_]\w*)\s+BITMAP\s+"([^"]+)\")");
    static const std::regex language(R"(^\s*LANGUAGE\s+([\w]+)\s*,\s*([\w]+))");

    ResourceScript script;
    std::string line;
    std::smatch match;
    while (std::getline(file, line)) {
        if (std::regex_search(line, match, bitmap)) {
            script.bitmaps.push_back({match[1], match[2]});
        } else if (std::regex_search(line, match, language)) {
            ++script.languageStatements;
            script.language = match[1].str() + "," + match[2].str();
            script.languageBeforeBitmaps = script.bitmaps.empty();
        }
    }
    return script;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset)
{
    return uint32_t(Le16(bytes, offset)) | uint32_t(Le16(bytes, offset + 2)) << 16;
}

uint16_t Le16(const std::vector<uint8_t>& bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

std::filesystem::path TileFile(int index)
{
    const std::string name = "TILE" + std::to_string(index + 1);
    const ResourceScript script = ReadResourceScript();
    const auto entry = std::find_if(script.bitmaps.begin(), script.bitmaps.end(),
        [&](const ScriptEntry& e) { return e.name == name; });
    if (entry == script.bitmaps.end()) {
        throw std::runtime_error("tiles.rc does not name " + name);
    }
    return ResourcesDir() / entry->file;
}

Picture LoadTile(int index)
{
    const std::vector<uint8_t> bytes = ReadBytes(TileFile(index));
    constexpr size_t pixelsAt = 14 + 40;
    constexpr size_t rowBytes = TILE * 3;
    if (bytes.size() != pixelsAt + rowBytes * TILE || Le32(bytes, 10) != pixelsAt
        || Le32(bytes, 18) != TILE || Le32(bytes, 22) != TILE || Le16(bytes, 28) != 24
        || Le32(bytes, 30) != 0) {
        throw std::runtime_error(
            "TILE" + std::to_string(index + 1) + " is not a 64 x 64 24-bit bottom-up BMP");
    }
    Picture picture;
    for (int y = 0; y < TILE; ++y) {
        const size_t row = pixelsAt + rowBytes * (TILE - 1 - y);
        for (int x = 0; x < TILE; ++x) {
            const size_t at = row + 3 * x;
            picture.pixels[y * TILE + x] = Pixel{bytes[at + 2], bytes[at + 1], bytes[at]};
        }
    }
    return picture;
}

}  // namespace art
