#include "png_writer.h"

#include <stdexcept>
#include <string_view>
#include <zlib.h>

namespace tilegen {

namespace {

void PutBig32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// Length, type, data, and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, std::string_view type, const std::vector<uint8_t>& data)
{
    PutBig32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    PutBig32(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::vector<uint8_t> EncodePng(const IconImage& image)
{
    constexpr uint8_t SIGNATURE[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr uint8_t BIT_DEPTH = 8;
    constexpr uint8_t COLOUR_RGBA = 6;
    constexpr uint8_t FILTER_NONE = 0;

    std::vector<uint8_t> header;
    PutBig32(header, static_cast<uint32_t>(image.size));
    PutBig32(header, static_cast<uint32_t>(image.size));
    header.insert(header.end(), {BIT_DEPTH, COLOUR_RGBA, 0, 0, 0});  // deflate, adaptive, none

    // Each row is its filter byte and the pixels as they are.
    std::vector<uint8_t> rows;
    rows.reserve(static_cast<size_t>(image.size) * (1 + 4 * image.size));
    for (int y = 0; y < image.size; ++y) {
        rows.push_back(FILTER_NONE);
        for (int x = 0; x < image.size; ++x) {
            const Rgba& pixel = image.at(x, y);
            rows.insert(rows.end(), {pixel.red, pixel.green, pixel.blue, pixel.alpha});
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()),
            Z_BEST_COMPRESSION)
        != Z_OK) {
        throw std::runtime_error("zlib could not compress a picture");
    }
    packed.resize(packedSize);

    std::vector<uint8_t> out(std::begin(SIGNATURE), std::end(SIGNATURE));
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace tilegen
