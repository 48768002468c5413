// The pixels a device context draws into, and GDI colours in and out of
// them. Internal to the GDI part of the layer.
#pragma once

#include "platform/layer/include/rgb565.h"
#include "platform/layer/include/windows.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace layer::gdi {

// 8-8-8 to 5-6-5 keeps the high bits, as the display hardware would.
inline uint16_t ColorTo565(COLORREF color)
{
    const uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

inline COLORREF ColorFrom565(uint16_t pixel)
{
    const Rgb8 c = Widen565(pixel);
    return RGB(c.red, c.green, c.blue);
}

// A 32-bit DIB pixel is blue, green, red, unused in memory: 0x00RRGGBB.
inline uint32_t ColorToXrgb(COLORREF color)
{
    return (uint32_t{GetRValue(color)} << 16) | (uint32_t{GetGValue(color)} << 8)
        | GetBValue(color);
}

inline COLORREF ColorFromXrgb(uint32_t pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// The nearer of black and white, for the monochrome default bitmap.
inline COLORREF NearestMonochrome(COLORREF color)
{
    const unsigned sum = GetRValue(color) + GetGValue(color) + GetBValue(color);
    return sum >= 383 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

enum class PixelFormat { Rgb565, Xrgb8888 };

// A rectangle of pixels: `top` is the first byte of row 0 and `pitch` the
// step to the next row (negative for bottom-up bitmaps).
struct Canvas {
    PixelFormat format = PixelFormat::Xrgb8888;
    uint8_t* top = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ptrdiff_t pitch = 0;
    bool monochrome = false;

    bool Contains(int64_t x, int64_t y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height;
    }

    uint8_t* Row(int32_t y) const
    {
        return top + pitch * y;
    }

    COLORREF Read(int32_t x, int32_t y) const
    {
        if (format == PixelFormat::Rgb565) {
            uint16_t pixel;
            std::memcpy(&pixel, Row(y) + 2 * static_cast<size_t>(x), sizeof pixel);
            return ColorFrom565(pixel);
        }
        uint32_t pixel;
        std::memcpy(&pixel, Row(y) + 4 * static_cast<size_t>(x), sizeof pixel);
        return ColorFromXrgb(pixel);
    }

    // The colour as this canvas stores it, for writing many pixels of it
    // with Put and FillSpan; the same pixels as Write would leave.
    uint32_t Encode(COLORREF color) const
    {
        color &= 0x00FFFFFF;
        if (monochrome)
            color = NearestMonochrome(color);
        return format == PixelFormat::Rgb565 ? ColorTo565(color) : ColorToXrgb(color);
    }

    // One pixel of an encoded colour; (x, y) must be inside the canvas.
    void Put(int32_t x, int32_t y, uint32_t encoded) const
    {
        if (format == PixelFormat::Rgb565)
            reinterpret_cast<uint16_t*>(Row(y))[x] = static_cast<uint16_t>(encoded);
        else
            reinterpret_cast<uint32_t*>(Row(y))[x] = encoded;
    }

    // Columns `left` to `right` (exclusive) of row y, inside the canvas.
    void FillSpan(int32_t y, int32_t left, int32_t right, uint32_t encoded) const
    {
        if (format == PixelFormat::Rgb565) {
            uint16_t* row = reinterpret_cast<uint16_t*>(Row(y));
            std::fill(row + left, row + right, static_cast<uint16_t>(encoded));
        } else {
            uint32_t* row = reinterpret_cast<uint32_t*>(Row(y));
            std::fill(row + left, row + right, encoded);
        }
    }

    // Returns the colour as stored, which may be coarser than asked for.
    COLORREF Write(int32_t x, int32_t y, COLORREF color) const
    {
        color &= 0x00FFFFFF;
        if (monochrome)
            color = NearestMonochrome(color);
        if (format == PixelFormat::Rgb565) {
            const uint16_t pixel = ColorTo565(color);
            std::memcpy(Row(y) + 2 * static_cast<size_t>(x), &pixel, sizeof pixel);
            return ColorFrom565(pixel);
        }
        const uint32_t pixel = ColorToXrgb(color);
        std::memcpy(Row(y) + 4 * static_cast<size_t>(x), &pixel, sizeof pixel);
        return ColorFromXrgb(pixel);
    }
};

}  // namespace layer::gdi
