#include "platform/layer/gdi/text_run_cache.h"

#include <cstring>
#include <string>
#include <vector>

namespace layer::gdi {
namespace {

// A line of text on the screen is a few thousand pixels; more than this is
// not a legend.
constexpr int64_t MAX_CACHED_PIXELS = 64 * 1024;
constexpr int MAX_CACHED_CHARACTERS = 256;

struct CachedRun {
    bool valid = false;
    std::string text;
    int x = 0;
    int y = 0;
    COLORREF background = 0;
    COLORREF foreground = 0;
    PixelFormat format = PixelFormat::Xrgb8888;
    bool monochrome = false;
    int32_t canvasWidth = 0;
    int32_t canvasHeight = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    std::vector<uint8_t> pixels;
};

CachedRun& Cache()
{
    static CachedRun cache;
    return cache;
}

size_t BytesPerPixel(PixelFormat format)
{
    return format == PixelFormat::Rgb565 ? 2 : 4;
}

// Colours compare as the canvas would store them, so only the bits that
// reach a pixel matter.
bool Matches(const CachedRun& cache, const TextRun& run, const Canvas& canvas)
{
    return cache.valid && cache.x == run.x && cache.y == run.y && cache.format == canvas.format
        && cache.monochrome == canvas.monochrome && cache.canvasWidth == canvas.width
        && cache.canvasHeight == canvas.height && cache.background == canvas.Encode(run.background)
        && cache.foreground == canvas.Encode(run.foreground)
        && cache.text.size() == static_cast<size_t>(run.count)
        && std::memcmp(cache.text.data(), run.text, cache.text.size()) == 0;
}

}  // namespace

bool DrawCachedTextRun(const TextRun& run, const Canvas& canvas)
{
    const CachedRun& cache = Cache();
    if (!Matches(cache, run, canvas))
        return false;
    const size_t bytes = BytesPerPixel(canvas.format);
    const size_t rowBytes = static_cast<size_t>(cache.right - cache.left) * bytes;
    const uint8_t* from = cache.pixels.data();
    for (int32_t y = cache.top; y < cache.bottom; ++y, from += rowBytes)
        std::memcpy(canvas.Row(y) + cache.left * bytes, from, rowBytes);
    return true;
}

void CacheTextRun(const TextRun& run, const Canvas& canvas, int32_t left, int32_t top,
    int32_t right, int32_t bottom)
{
    CachedRun& cache = Cache();
    cache.valid = false;
    const int64_t area = int64_t{right - left} * (bottom - top);
    if (run.count > MAX_CACHED_CHARACTERS || area <= 0 || area > MAX_CACHED_PIXELS)
        return;
    const size_t bytes = BytesPerPixel(canvas.format);
    const size_t rowBytes = static_cast<size_t>(right - left) * bytes;
    cache.pixels.resize(rowBytes * static_cast<size_t>(bottom - top));
    uint8_t* to = cache.pixels.data();
    for (int32_t y = top; y < bottom; ++y, to += rowBytes)
        std::memcpy(to, canvas.Row(y) + left * bytes, rowBytes);
    cache.text.assign(run.text, static_cast<size_t>(run.count));
    cache.x = run.x;
    cache.y = run.y;
    cache.background = canvas.Encode(run.background);
    cache.foreground = canvas.Encode(run.foreground);
    cache.format = canvas.format;
    cache.monochrome = canvas.monochrome;
    cache.canvasWidth = canvas.width;
    cache.canvasHeight = canvas.height;
    cache.left = left;
    cache.top = top;
    cache.right = right;
    cache.bottom = bottom;
    cache.valid = true;
}

}  // namespace layer::gdi
