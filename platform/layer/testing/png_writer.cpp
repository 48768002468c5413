#include "platform/layer/testing/png_writer.h"

#include "platform/layer/include/rgb565.h"

#include <cstdio>
#include <png.h>
#include <vector>

namespace layer {
namespace {

// libpng reports errors by longjmp, so nothing with a destructor may live in
// this frame: the rows are made by the caller.
bool WriteRows(std::FILE* file, png_bytep* rows, int width, int height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
        PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng565(const uint16_t* pixels, int width, int height, const std::string& path)
{
    if (pixels == nullptr || width <= 0 || height <= 0)
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<png_byte> rgb(rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) {
        rows[y] = &rgb[rowBytes * y];
        for (int x = 0; x < width; ++x) {
            const Rgb8 c = Widen565(pixels[static_cast<size_t>(y) * width + x]);
            rows[y][3 * x] = c.red;
            rows[y][3 * x + 1] = c.green;
            rows[y][3 * x + 2] = c.blue;
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = WriteRows(file, rows.data(), width, height);
    const bool closed = std::fclose(file) == 0;
    if (!(written && closed))
        std::remove(path.c_str());
    return written && closed;
}

}  // namespace layer
