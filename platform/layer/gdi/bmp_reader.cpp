// Reads BMPs: 1, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB and BI_BITFIELDS,
// rows bottom-up or top-down, and BI_RLE8 and BI_RLE4 (rle_decoder.cpp), with
// core (12-byte), 40-, 108- and 124-byte info headers. Every offset is checked
// against the data in 64-bit arithmetic before it is read.
#include "platform/layer/gdi/bmp_reader.h"

#include "platform/layer/gdi/rle_decoder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace layer {
namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
constexpr uint32_t CORE_HEADER_SIZE = 12;
constexpr uint32_t INFO_HEADER_SIZE = 40;
constexpr uint32_t V4_HEADER_SIZE = 108;
constexpr uint32_t V5_HEADER_SIZE = 124;
constexpr uint32_t COMPRESSION_RGB = 0;
constexpr uint32_t COMPRESSION_RLE8 = 1;
constexpr uint32_t COMPRESSION_RLE4 = 2;
constexpr uint32_t COMPRESSION_BITFIELDS = 3;

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

BmpResult Fail(const char* why)
{
    return {std::nullopt, why};
}

// One colour channel of a BI_BITFIELDS or 16-bit pixel.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // Stretched to 8 bits by repeating its bits, so a full channel is 255.
    uint32_t Extract(uint32_t pixel) const
    {
        if (bits == 0)
            return 0;
        const uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8)
            return value >> (bits - 8);
        uint32_t wide = 0;
        int filled = 0;
        while (filled < 8) {
            wide = (wide << bits) | value;
            filled += bits;
        }
        return wide >> (filled - 8);
    }
};

// A mask must be one run of bits within the pixel; an empty mask gives 0.
bool MakeChannel(uint32_t mask, int bitCount, Channel* channel)
{
    channel->mask = mask;
    if (mask == 0)
        return true;
    if (bitCount < 32 && (mask >> bitCount) != 0)
        return false;
    channel->shift = std::countr_zero(mask);
    channel->bits = std::popcount(mask);
    const uint64_t run = (uint64_t{1} << channel->bits) - 1;
    return (uint64_t{mask} >> channel->shift) == run;
}

uint32_t Xrgb(uint32_t r, uint32_t g, uint32_t b)
{
    return (r << 16) | (g << 8) | b;
}

}  // namespace

BmpResult DecodeBmp(std::span<const uint8_t> bytes, BmpContainer container)
{
    const uint8_t* data = bytes.data();
    const uint64_t size = bytes.size();

    uint64_t headerStart = 0;
    uint64_t pixelOffset = 0;
    if (container == BmpContainer::File) {
        if (size < FILE_HEADER_SIZE)
            return Fail("truncated file header");
        if (data[0] != 'B' || data[1] != 'M')
            return Fail("not a BMP file");
        pixelOffset = U32(data + 10);
        headerStart = FILE_HEADER_SIZE;
    }

    if (size < headerStart + 4)
        return Fail("truncated info header");
    const uint8_t* header = data + headerStart;
    const uint32_t headerSize = U32(header);
    if (headerSize != CORE_HEADER_SIZE && headerSize != INFO_HEADER_SIZE
        && headerSize != V4_HEADER_SIZE && headerSize != V5_HEADER_SIZE)
        return Fail("unsupported info header size");
    if (size < headerStart + headerSize)
        return Fail("truncated info header");

    const bool core = headerSize == CORE_HEADER_SIZE;
    int64_t width, height;
    uint32_t planes, bitCount, compression = COMPRESSION_RGB, colorsUsed = 0, imageSize = 0;
    if (core) {
        width = U16(header + 4);
        height = U16(header + 6);
        planes = U16(header + 8);
        bitCount = U16(header + 10);
    } else {
        width = static_cast<int32_t>(U32(header + 4));
        height = static_cast<int32_t>(U32(header + 8));
        planes = U16(header + 12);
        bitCount = U16(header + 14);
        compression = U32(header + 16);
        imageSize = U32(header + 20);
        colorsUsed = U32(header + 32);
    }

    if (planes != 1)
        return Fail("plane count is not 1");
    if (width <= 0 || height == 0)
        return Fail("empty or negative size");
    // Negative heights store the rows top-down; int64 keeps -INT32_MIN exact.
    const bool topDown = height < 0;
    const int64_t rows = topDown ? -height : height;
    if (width > MAX_BITMAP_SIDE || rows > MAX_BITMAP_SIDE || width * rows > MAX_BITMAP_PIXELS)
        return Fail("image too large");

    const bool paletted = bitCount == 1 || bitCount == 4 || bitCount == 8;
    const bool direct = bitCount == 16 || bitCount == 24 || bitCount == 32;
    if (!paletted && !direct)
        return Fail("unsupported bit depth");
    if (core && bitCount != 24 && !paletted)
        return Fail("unsupported bit depth");
    const bool runLength = compression == COMPRESSION_RLE8 || compression == COMPRESSION_RLE4;
    if (compression != COMPRESSION_RGB && compression != COMPRESSION_BITFIELDS && !runLength)
        return Fail("unsupported compression");
    if (compression == COMPRESSION_BITFIELDS && bitCount != 16 && bitCount != 32)
        return Fail("bit fields need 16 or 32 bits per pixel");

    // Where the masks and the colour table lie.
    uint64_t tableStart = headerStart + headerSize;
    Channel red, green, blue;
    if (compression == COMPRESSION_BITFIELDS) {
        const uint8_t* masks = header + INFO_HEADER_SIZE;
        if (headerSize == INFO_HEADER_SIZE) {
            // Three masks follow the short header.
            if (size < tableStart + 12)
                return Fail("truncated colour masks");
            masks = data + tableStart;
            tableStart += 12;
        }
        const int depth = static_cast<int>(bitCount);
        if (!MakeChannel(U32(masks), depth, &red) || !MakeChannel(U32(masks + 4), depth, &green)
            || !MakeChannel(U32(masks + 8), depth, &blue))
            return Fail("unusable colour masks");
    } else if (bitCount == 16) {
        // Plain 16-bit pixels are 5-5-5.
        MakeChannel(0x7C00, 16, &red);
        MakeChannel(0x03E0, 16, &green);
        MakeChannel(0x001F, 16, &blue);
    }

    const uint64_t entryBytes = core ? 3 : 4;
    uint64_t entries = colorsUsed;
    if (paletted) {
        const uint32_t most = 1u << bitCount;
        if (colorsUsed > most)
            return Fail("colour count exceeds the bit depth");
        if (colorsUsed == 0)
            entries = most;
    }
    const uint64_t tableEnd = tableStart + entries * entryBytes;
    if (tableEnd > size)
        return Fail("colour table runs past the data");

    if (container == BmpContainer::File) {
        if (pixelOffset < tableEnd)
            return Fail("pixel data offset points into the headers");
        if (pixelOffset > size)
            return Fail("pixel data offset outside the file");
    } else {
        pixelOffset = tableEnd;
    }

    const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (!runLength && stride * static_cast<uint64_t>(rows) > size - pixelOffset)
        return Fail("truncated pixel data");

    std::vector<uint32_t> palette;
    if (paletted) {
        palette.reserve(entries);
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* entry = data + tableStart + i * entryBytes;
            palette.push_back(Xrgb(entry[2], entry[1], entry[0]));
        }
    }
    // Pixels naming an entry the table does not have come out black.
    auto paletteColor
        = [&palette](uint32_t index) { return index < palette.size() ? palette[index] : 0u; };

    BmpImage image;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(rows);
    image.bitsPerPixel = static_cast<int>(bitCount);
    if (runLength) {
        // The platform loads a run-length bitmap whatever its codes hold, but
        // decodes nothing of a top-down one, of one with no image size, or of
        // one whose depth is not the compression's own: that is all entry 0,
        // or black without a colour table. A file of a hundred bytes may ask
        // for the largest bitmap there is: one pass fills it, no other.
        std::array<uint32_t, 256> colors{};
        std::copy_n(
            palette.begin(), std::min<size_t>(palette.size(), colors.size()), colors.begin());
        image.pixels.assign(static_cast<size_t>(width * rows), colors[0]);
        const bool fourBit = compression == COMPRESSION_RLE4;
        if (!topDown && imageSize != 0 && bitCount == (fourBit ? 4u : 8u))
            DecodeRunLength(
                bytes.subspan(pixelOffset), imageSize, fourBit, width, rows, colors, image.pixels);
        return {std::move(image), nullptr};
    }
    image.pixels.resize(static_cast<size_t>(width * rows));
    for (int64_t stored = 0; stored < rows; ++stored) {
        const uint8_t* source = data + pixelOffset + static_cast<uint64_t>(stored) * stride;
        const int64_t y = topDown ? stored : rows - 1 - stored;
        uint32_t* out = image.pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x) {
            uint32_t color;
            switch (bitCount) {
            case 1:
                color = paletteColor((source[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                color = paletteColor((source[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF);
                break;
            case 8:
                color = paletteColor(source[x]);
                break;
            case 16: {
                const uint32_t pixel = U16(source + 2 * x);
                color = Xrgb(red.Extract(pixel), green.Extract(pixel), blue.Extract(pixel));
                break;
            }
            case 24:
                color = Xrgb(source[3 * x + 2], source[3 * x + 1], source[3 * x]);
                break;
            default: {
                const uint32_t pixel = U32(source + 4 * x);
                color = compression == COMPRESSION_BITFIELDS
                    ? Xrgb(red.Extract(pixel), green.Extract(pixel), blue.Extract(pixel))
                    : pixel & 0x00FFFFFF;
                break;
            }
            }
            out[x] = color;
        }
    }
    return {std::move(image), nullptr};
}

}  // namespace layer
