// The DIB sections that LoadImageA hands out: a decoded picture scaled into a
// new bitmap.
#include "platform/layer/gdi/bmp_reader.h"
#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/gdi/objects.h"

#include <algorithm>

namespace layer {

HBITMAP CreateDibSectionOf(const BmpImage& image, int32_t width, int32_t height)
{
    gdi::Bitmap* bitmap = nullptr;
    HBITMAP handle = gdi::CreateDibBitmap(width, height, &bitmap);
    if (handle == nullptr)
        return nullptr;
    // The DIB section takes the picture's own depth, scaled or not.
    bitmap->bitsPerPixel = image.bitsPerPixel;
    const gdi::Canvas canvas = bitmap->GetCanvas();
    // At its own size, row by row: a run-length file of a hundred bytes may
    // ask for the largest bitmap there is.
    if (width == image.width && height == image.height) {
        for (int32_t y = 0; y < height; ++y)
            std::copy_n(image.pixels.begin() + int64_t{y} * width, width,
                reinterpret_cast<uint32_t*>(canvas.Row(y)));
        return handle;
    }
    // Nearest neighbour.
    for (int32_t y = 0; y < height; ++y) {
        const auto sy = static_cast<int32_t>(int64_t{y} * image.height / height);
        auto* row = reinterpret_cast<uint32_t*>(canvas.Row(y));
        for (int32_t x = 0; x < width; ++x)
            row[x] = image.At(static_cast<int32_t>(int64_t{x} * image.width / width), sy);
    }
    return handle;
}

}  // namespace layer
