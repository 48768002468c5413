// Text in the default font with an opaque background, and the two colours
// it uses.
#include "platform/layer/call_log.h"
#include "platform/layer/default_font.h"
#include "platform/layer/gdi_objects.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

struct PlacedGlyph {
    FontGlyph glyph;
    int64_t pen;
};

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

    // The box is the characters' cells side by side. Characters whose cells
    // start well past the right edge cannot show, so the walk stops there.
    const int lineHeight = DefaultFontLineHeight();
    std::vector<PlacedGlyph> placed;
    int64_t pen = x;
    for (int k = 0; k < count && pen < int64_t{canvas.width} + lineHeight; ++k) {
        const FontGlyph glyph = DefaultFontGlyph(static_cast<unsigned char>(text[k]));
        if (pen + glyph.advance + lineHeight > 0)
            placed.push_back({glyph, pen});
        pen += glyph.advance;
    }
    const int64_t boxLeft = std::max<int64_t>(x, 0);
    const int64_t boxRight = std::min<int64_t>(pen, canvas.width);
    const int64_t boxTop = std::max<int64_t>(y, 0);
    const int64_t boxBottom = std::min<int64_t>(int64_t{y} + lineHeight, canvas.height);

    for (int64_t row = boxTop; row < boxBottom; ++row)
        for (int64_t column = boxLeft; column < boxRight; ++column)
            canvas.Write(
                static_cast<int32_t>(column), static_cast<int32_t>(row), dc->backgroundColor);

    // Ink that reaches past the box's ends is cut, so nothing outside the
    // box changes.
    for (const PlacedGlyph& item : placed) {
        const FontGlyph& glyph = item.glyph;
        for (int row = 0; row < lineHeight; ++row) {
            const int64_t py = int64_t{y} + row;
            if (py < boxTop || py >= boxBottom)
                continue;
            for (int column = 0; column < glyph.inkWidth; ++column) {
                const int64_t px = item.pen + glyph.inkLeft + column;
                if (px < boxLeft || px >= boxRight || !glyph.Ink(column, row))
                    continue;
                canvas.Write(static_cast<int32_t>(px), static_cast<int32_t>(py), dc->textColor);
            }
        }
    }
    return TRUE;
}
