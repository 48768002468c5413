#include "bmp_writer.h"

#include "little_endian.h"
#include "write_file.h"

namespace tilegen {

std::vector<uint8_t> EncodeBmp(const TileImage& image)
{
    constexpr uint32_t headers = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    std::vector<uint8_t> out;
    out.reserve(headers + BMP_PIXEL_BYTES);

    out.push_back('B');
    out.push_back('M');
    Put32(out, headers + BMP_PIXEL_BYTES);
    Put32(out, 0);  // two reserved words
    Put32(out, headers);

    Put32(out, BMP_INFO_HEADER_SIZE);
    Put32(out, TILE_SIZE);
    Put32(out, TILE_SIZE);  // positive: bottom-up rows
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);  // BI_RGB
    Put32(out, BMP_PIXEL_BYTES);
    Put32(out, BMP_PELS_PER_METRE);
    Put32(out, BMP_PELS_PER_METRE);
    Put32(out, 0);
    Put32(out, 0);

    for (int y = TILE_SIZE - 1; y >= 0; --y) {
        for (int x = 0; x < TILE_SIZE; ++x) {
            const Rgb& pixel = image.at(x, y);
            out.push_back(pixel.blue);
            out.push_back(pixel.green);
            out.push_back(pixel.red);
        }
    }
    return out;
}

void WriteBmp(const std::filesystem::path& path, const TileImage& image)
{
    WriteFile(path, EncodeBmp(image));
}

}  // namespace tilegen
