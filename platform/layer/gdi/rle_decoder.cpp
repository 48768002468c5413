// The platform's decoder, as seen from outside: runs are clipped at the row's
// end rather than wrapped, pixels no code reaches keep entry 0, and the
// pixels written since the last end of line, delta or end of bitmap are
// dropped when the data ends before the next of those codes.
#include "platform/layer/gdi/rle_decoder.h"

#include <algorithm>

namespace layer {
namespace {

// The i-th pixel of a run's byte: its two halves in turn at 4 bits.
uint8_t PixelOf(uint8_t byte, int64_t i, bool fourBit)
{
    return !fourBit ? byte : i % 2 == 0 ? byte >> 4 : byte & 0xF;
}

}  // namespace

void DecodeRunLength(std::span<const uint8_t> codes, uint64_t length, bool fourBit, int64_t width,
    int64_t rows, std::span<const uint32_t, 256> colors, std::span<uint32_t> pixels)
{
    auto byteAt = [codes](uint64_t at) -> uint8_t { return at < codes.size() ? codes[at] : 0; };
    uint64_t at = 0;
    int64_t x = 0, line = 0;  // line 0 is the bottom row
    int64_t pendingFrom = 0;  // where this line's undelivered pixels begin
    auto row = [&] { return pixels.subspan(static_cast<size_t>((rows - 1 - line) * width)); };
    auto dropPending = [&] {
        const std::span<uint32_t> out = row();
        if (pendingFrom < width)
            std::fill(out.begin() + pendingFrom, out.begin() + std::min(x, width), colors[0]);
    };
    // Writes count pixels from x on; pixel(i) is the i-th of them.
    auto put = [&](int64_t count, auto pixel) {
        const std::span<uint32_t> out = row();
        for (int64_t i = 0; i < count && x + i < width; ++i)
            out[static_cast<size_t>(x + i)] = colors[pixel(i)];
        x += count;
    };

    while (line < rows) {
        if (length - at < 2) {
            dropPending();
            return;
        }
        const uint8_t first = byteAt(at), second = byteAt(at + 1);
        at += 2;
        if (first != 0) {
            // An encoded run; 4-bit runs alternate the byte's two pixels.
            put(first, [&](int64_t i) { return PixelOf(second, i, fourBit); });
            continue;
        }
        switch (second) {
        case 0:  // end of line
            x = pendingFrom = 0;
            ++line;
            break;
        case 1:  // end of bitmap
            return;
        case 2:  // delta: right, then up; the line's pixels so far are delivered
            pendingFrom = x;  // even when the delta itself is cut short
            if (length - at < 2)
                return;
            x += byteAt(at);
            line += byteAt(at + 1);
            pendingFrom = x;
            at += 2;
            break;
        default: {
            // An absolute run, padded to a whole 16-bit word. One that the
            // data cuts short is dropped with its line at the next turn.
            const uint64_t bytes = fourBit ? (second + 1u) / 2 : second;
            const uint64_t from = at;
            put(second, [&](int64_t i) {
                return PixelOf(
                    byteAt(from + static_cast<uint64_t>(fourBit ? i / 2 : i)), i, fourBit);
            });
            at += std::min<uint64_t>(length - at, (bytes + 1) & ~uint64_t{1});
            break;
        }
        }
    }
}

}  // namespace layer
