// Text in the default font with an opaque background, and the two colours
// it uses.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/gdi/default_font.h"
#include "platform/layer/gdi/objects.h"
#include "platform/layer/gdi/text_run_cache.h"

#include <algorithm>
#include <bit>
#include <cstdint>

using namespace layer;

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color)
{
    if (!BeginCall("SetBkColor", hdc))
        return CLR_INVALID;
    gdi::DeviceContext* dc = gdi::FindDC(hdc);
    if (dc == nullptr) {
        Refuse("SetBkColor", "not a device context");
        return CLR_INVALID;
    }
    const COLORREF previous = dc->backgroundColor;
    dc->backgroundColor = color;
    return previous;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color)
{
    if (!BeginCall("SetTextColor", hdc))
        return CLR_INVALID;
    gdi::DeviceContext* dc = gdi::FindDC(hdc);
    if (dc == nullptr) {
        Refuse("SetTextColor", "not a device context");
        return CLR_INVALID;
    }
    const COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

namespace {

// Columns 64 * word to 64 * word + 63 of a glyph row, the first in the
// most significant bit, as the font stores them.
uint64_t InkWord(const uint8_t* bits, int rowBytes, int word)
{
    const int available = std::min(rowBytes - word * 8, 8);
    uint64_t value = 0;
    for (int k = 0; k < available; ++k)
        value |= uint64_t{bits[word * 8 + k]} << (56 - 8 * k);
    return value;
}

}  // namespace

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int count)
{
    if (!BeginCall("TextOutA", hdc))
        return FALSE;
    const gdi::DeviceContext* dc = gdi::FindDC(hdc);
    gdi::Canvas canvas;
    if (dc == nullptr || !gdi::CanvasOf(hdc, &canvas)) {
        Refuse("TextOutA", "not a device context");
        return FALSE;
    }
    if (count < 0 || (count > 0 && text == nullptr)) {
        Refuse("TextOutA", "no text for the count given");
        return FALSE;
    }

    const gdi::TextRun run{text, count, x, y, dc->backgroundColor, dc->textColor};
    if (gdi::DrawCachedTextRun(run, canvas))
        return TRUE;

    // The box is the characters' cells side by side. Characters whose cells
    // start well past the right edge cannot show, so the walk stops there.
    // It is walked twice (for the box, then for the ink) rather than kept,
    // so that text costs no allocation.
    const int lineHeight = DefaultFontLineHeight();
    int walked = 0;
    int64_t pen = x;
    for (; walked < count && pen < int64_t{canvas.width} + lineHeight; ++walked)
        pen += DefaultFontGlyph(static_cast<unsigned char>(text[walked])).advance;
    const int64_t boxLeft = std::max<int64_t>(x, 0);
    const int64_t boxRight = std::min<int64_t>(pen, canvas.width);
    const int64_t boxTop = std::max<int64_t>(y, 0);
    const int64_t boxBottom = std::min<int64_t>(int64_t{y} + lineHeight, canvas.height);
    if (boxLeft >= boxRight || boxTop >= boxBottom)
        return TRUE;

    const uint32_t background = canvas.Encode(dc->backgroundColor);
    for (int64_t row = boxTop; row < boxBottom; ++row)
        canvas.FillSpan(static_cast<int32_t>(row), static_cast<int32_t>(boxLeft),
            static_cast<int32_t>(boxRight), background);

    // Ink that reaches past the box's ends is cut, so nothing outside the
    // box changes.
    const uint32_t ink = canvas.Encode(dc->textColor);
    const int firstRow = static_cast<int>(boxTop - y);
    const int endRow = static_cast<int>(boxBottom - y);
    pen = x;
    for (int k = 0; k < walked; ++k) {
        const FontGlyph glyph = DefaultFontGlyph(static_cast<unsigned char>(text[k]));
        const int64_t inkAt = pen + glyph.inkLeft;
        pen += glyph.advance;
        // Clamped to the glyph before narrowing: the pen may start far left.
        const auto firstColumn
            = static_cast<int>(std::clamp<int64_t>(boxLeft - inkAt, 0, glyph.inkWidth));
        const auto endColumn
            = static_cast<int>(std::clamp<int64_t>(boxRight - inkAt, 0, glyph.inkWidth));
        if (firstColumn >= endColumn)
            continue;
        for (int row = firstRow; row < endRow; ++row) {
            const uint8_t* bits = glyph.rows + row * glyph.rowBytes;
            const auto py = static_cast<int32_t>(y + row);
            // The row's ink in the box as one word, visited set bit by set
            // bit: most of a glyph's cell is blank.
            for (int word = firstColumn / 64; word * 64 < endColumn; ++word) {
                uint64_t set = InkWord(bits, glyph.rowBytes, word);
                const int first = std::max(firstColumn - word * 64, 0);
                const int end = std::min(endColumn - word * 64, 64);
                set &= ~uint64_t{0} >> first;
                if (end < 64)
                    set &= ~(~uint64_t{0} >> end);
                // From the lowest bit: clearing it is one instruction.
                for (; set != 0; set &= set - 1) {
                    const int column = 63 - std::countr_zero(set);
                    canvas.Put(static_cast<int32_t>(inkAt + word * 64 + column), py, ink);
                }
            }
        }
    }
    gdi::CacheTextRun(run, canvas, static_cast<int32_t>(boxLeft), static_cast<int32_t>(boxTop),
        static_cast<int32_t>(boxRight), static_cast<int32_t>(boxBottom));
    return TRUE;
}
