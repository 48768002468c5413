#include "ico_writer.h"

#include "little_endian.h"
#include "png_writer.h"

#include <stdexcept>

namespace tilegen {

namespace {

constexpr uint32_t ICON_DIR_SIZE = 6;
constexpr uint32_t ICON_ENTRY_SIZE = 16;
constexpr uint32_t INFO_HEADER_SIZE = 40;

// BITMAPINFOHEADER with the height of colour and mask together, the
// colour rows bottom-up as BGRA, then the mask: a bit per pixel, set where
// the pixel is fully transparent, rows padded to four bytes.
std::vector<uint8_t> EncodeIconDib(const IconImage& image)
{
    const int side = image.size;
    const uint32_t maskRowBytes = static_cast<uint32_t>((side + 31) / 32 * 4);
    const uint32_t colourBytes = static_cast<uint32_t>(side * side * 4);
    std::vector<uint8_t> out;

    Put32(out, INFO_HEADER_SIZE);
    Put32(out, static_cast<uint32_t>(side));
    Put32(out, static_cast<uint32_t>(side * 2));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);  // BI_RGB
    Put32(out, colourBytes + maskRowBytes * side);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);

    for (int y = side - 1; y >= 0; --y) {
        for (int x = 0; x < side; ++x) {
            const Rgba& pixel = image.at(x, y);
            out.insert(out.end(), {pixel.blue, pixel.green, pixel.red, pixel.alpha});
        }
    }
    for (int y = side - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskRowBytes);
        for (int x = 0; x < side; ++x) {
            if (image.at(x, y).alpha == 0) {
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::vector<uint8_t> EncodeIco(std::span<const IconImage> sizes)
{
    std::vector<std::vector<uint8_t>> images;
    for (const IconImage& image : sizes) {
        if (image.size < 1 || image.size > ICO_PNG_FROM_SIZE) {
            throw std::runtime_error("an icon is 1 to 256 pixels wide");
        }
        images.push_back(image.size >= ICO_PNG_FROM_SIZE ? EncodePng(image) : EncodeIconDib(image));
    }

    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, static_cast<uint16_t>(sizes.size()));
    uint32_t offset = ICON_DIR_SIZE + ICON_ENTRY_SIZE * static_cast<uint32_t>(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        const uint8_t side = static_cast<uint8_t>(sizes[i].size % 256);  // 0 stands for 256
        out.insert(out.end(), {side, side, 0, 0});  // no palette, reserved
        Put16(out, 1);  // planes
        Put16(out, 32);  // bits per pixel
        Put32(out, static_cast<uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images) {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

}  // namespace tilegen
