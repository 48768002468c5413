#include "platform/layer/device/sdl/frame_scale.h"

#include <cstring>

namespace layer {

namespace {

template <typename Pixel>
void ScaleRows(const uint16_t* frame, int framePitchBytes, int width, int height, int times,
    const uint32_t* table, unsigned char* target, int targetPitchBytes)
{
    const size_t rowBytes = static_cast<size_t>(width) * times * sizeof(Pixel);
    for (int y = 0; y < height; ++y) {
        const uint16_t* source = reinterpret_cast<const uint16_t*>(
            reinterpret_cast<const unsigned char*>(frame) + static_cast<size_t>(y) * framePitchBytes);
        unsigned char* first = target + static_cast<size_t>(y) * times * targetPitchBytes;
        Pixel* out = reinterpret_cast<Pixel*>(first);
        if (times == 1) {
            for (int x = 0; x < width; ++x)
                out[x] = static_cast<Pixel>(table[source[x]]);
        } else if (times == 2) {
            // The common case (a 1920 x 1080 screen) unrolled for the compiler.
            for (int x = 0; x < width; ++x)
                out[2 * x] = out[2 * x + 1] = static_cast<Pixel>(table[source[x]]);
        } else {
            for (int x = 0; x < width; ++x) {
                const Pixel value = static_cast<Pixel>(table[source[x]]);
                for (int i = 0; i < times; ++i)
                    *out++ = value;
            }
        }
        // The other rows of the square are the first one again.
        for (int i = 1; i < times; ++i)
            std::memcpy(first + static_cast<size_t>(i) * targetPitchBytes, first, rowBytes);
    }
}

}  // namespace

bool ScaleFrame(const uint16_t* frame, int framePitchBytes, int width, int height, int times,
    const uint32_t* table, void* target, int targetPitchBytes, int bytesPerPixel)
{
    if (frame == nullptr || table == nullptr || target == nullptr || width <= 0 || height <= 0
        || times <= 0 || framePitchBytes < 2 * width)
        return false;
    if (static_cast<long long>(targetPitchBytes)
        < static_cast<long long>(width) * times * bytesPerPixel)
        return false;
    auto* out = static_cast<unsigned char*>(target);
    if (bytesPerPixel == 4)
        ScaleRows<uint32_t>(frame, framePitchBytes, width, height, times, table, out, targetPitchBytes);
    else if (bytesPerPixel == 2)
        ScaleRows<uint16_t>(frame, framePitchBytes, width, height, times, table, out, targetPitchBytes);
    else
        return false;
    return true;
}

}  // namespace layer
