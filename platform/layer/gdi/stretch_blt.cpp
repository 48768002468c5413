// StretchBlt: a nearest-neighbour copy between any two device contexts,
// converting between their pixel formats.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/gdi/objects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace layer;

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

    // Only destination pixels inside the destination are visited, so the
    // work is bounded by its size whatever the extents; 64-bit arithmetic
    // keeps far-off rectangles from overflowing.
    const int64_t firstColumn = std::max<int64_t>(0, -int64_t{xDest});
    const int64_t endColumn = std::min<int64_t>(wDest, int64_t{to.width} - xDest);
    const int64_t firstRow = std::max<int64_t>(0, -int64_t{yDest});
    const int64_t endRow = std::min<int64_t>(hDest, int64_t{to.height} - yDest);
    for (int64_t j = firstRow; j < endRow; ++j) {
        const int64_t sy = ySrc + j * hSrc / hDest;
        if (sy < 0 || sy >= from.height)
            continue;  // outside the source: the destination keeps its pixel
        const auto dy = static_cast<int32_t>(yDest + j);
        for (int64_t i = firstColumn; i < endColumn; ++i) {
            const int64_t sx = xSrc + i * wSrc / wDest;
            if (sx < 0 || sx >= from.width)
                continue;
            to.Write(static_cast<int32_t>(xDest + i), dy,
                from.Read(static_cast<int32_t>(sx), static_cast<int32_t>(sy)));
        }
    }
    return TRUE;
}
