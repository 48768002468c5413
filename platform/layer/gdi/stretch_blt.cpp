// StretchBlt between any two device contexts, converting between their pixel
// formats, scaled as the platform's default stretch mode (BLACKONWHITE) does:
// enlarging repeats pixels, shrinking combines the pixels it drops with AND.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/gdi/objects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace layer;

namespace {

// The source pixels, from first to last, that make destination pixel j along
// one axis of `source` pixels stretched over `dest`. Each source pixel goes to
// the destination pixel its centre falls in, down on a boundary: source k to
// ((2k + 1) * dest - 1) / (2 * source). Enlarging, destination pixel j takes
// the source pixel its own centre falls in, the same way round. A
// destination one pixel across leaves the last source pixel out, as the
// platform does. With extents below 2^31 and j below 2^31 every product
// stays below 2^63.
struct SourceSpan {
    int64_t first;
    int64_t last;
};

SourceSpan SpanOf(int64_t j, int64_t source, int64_t dest)
{
    if (source <= dest) {
        const int64_t k = ((2 * j + 1) * source - 1) / (2 * dest);
        return {k, k};
    }
    // The first source pixel that goes to destination pixel i or beyond.
    auto firstFor = [&](int64_t i) {
        const int64_t numerator = 2 * source * i + 1 - dest;
        return numerator <= 0 ? 0 : (numerator + 2 * dest - 1) / (2 * dest);
    };
    SourceSpan span{firstFor(j), j + 1 >= dest ? source - 1 : firstFor(j + 1) - 1};
    if (dest == 1)
        span.last = source - 2;
    return span;
}

}  // namespace

BOOL WINAPI StretchBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc,
    int ySrc, int wSrc, int hSrc, DWORD rop)
{
    if (!BeginCall("StretchBlt", dest))
        return FALSE;
    if (rop != SRCCOPY) {
        Refuse("StretchBlt", "only SRCCOPY is supported");
        return FALSE;
    }
    gdi::Canvas to;
    gdi::Canvas from;
    if (!gdi::CanvasOf(dest, &to) || !gdi::CanvasOf(src, &from)) {
        Refuse("StretchBlt", "not a device context");
        return FALSE;
    }
    // Mirroring through negative extents is not supported.
    if (wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) {
        Refuse("StretchBlt", "extents must be positive");
        return FALSE;
    }

    // A copy within one DC reads from a snapshot, so pixels already written
    // are not read again as source.
    std::vector<uint8_t> snapshot;
    if (from.top == to.top) {
        const size_t rowBytes
            = static_cast<size_t>(from.width) * (from.format == gdi::PixelFormat::Rgb565 ? 2 : 4);
        snapshot.resize(rowBytes * static_cast<size_t>(from.height));
        for (int32_t y = 0; y < from.height; ++y)
            std::memcpy(snapshot.data() + rowBytes * y, from.Row(y), rowBytes);
        from.top = snapshot.data();
        from.pitch = static_cast<ptrdiff_t>(rowBytes);
    }

    // Only destination pixels inside the destination are visited, and of
    // their source pixels only those inside the source, so the work is
    // bounded by the two sizes whatever the extents; 64-bit arithmetic keeps
    // far-off rectangles from overflowing. A destination pixel with no source
    // pixel inside the source keeps what it had.
    const int64_t firstColumn = std::max<int64_t>(0, -int64_t{xDest});
    const int64_t endColumn = std::min<int64_t>(wDest, int64_t{to.width} - xDest);
    const int64_t firstRow = std::max<int64_t>(0, -int64_t{yDest});
    const int64_t endRow = std::min<int64_t>(hDest, int64_t{to.height} - yDest);
    auto clip = [](SourceSpan span, int64_t origin, int32_t size) {
        return SourceSpan{std::max<int64_t>(origin + span.first, 0),
            std::min<int64_t>(origin + span.last, int64_t{size} - 1)};
    };
    std::vector<SourceSpan> columns;
    for (int64_t i = firstColumn; i < endColumn; ++i)
        columns.push_back(clip(SpanOf(i, wSrc, wDest), xSrc, from.width));
    for (int64_t j = firstRow; j < endRow; ++j) {
        const SourceSpan rows = clip(SpanOf(j, hSrc, hDest), ySrc, from.height);
        const auto dy = static_cast<int32_t>(yDest + j);
        for (int64_t i = firstColumn; i < endColumn; ++i) {
            const SourceSpan& cols = columns[static_cast<size_t>(i - firstColumn)];
            if (rows.first > rows.last || cols.first > cols.last)
                continue;
            COLORREF color = 0x00FFFFFF;
            for (int64_t sy = rows.first; sy <= rows.last; ++sy)
                for (int64_t sx = cols.first; sx <= cols.last; ++sx)
                    color &= from.Read(static_cast<int32_t>(sx), static_cast<int32_t>(sy));
            to.Write(static_cast<int32_t>(xDest + i), dy, color);
        }
    }
    return TRUE;
}
