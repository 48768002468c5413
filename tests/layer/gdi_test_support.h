// Shared pieces of the GDI tests: a clean GDI per test, surface memory with
// guard pixels around it, and bitmaps with known pixels.
#pragma once

#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/gdi/objects.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace gditest {

class GdiTest : public testing::Test {
protected:
    void SetUp() override
    {
        layer::ResetGdi();
        layer::test::ClearFailures();
    }
    void TearDown() override
    {
        layer::test::ClearFailures();
        layer::ResetGdi();
    }
};

constexpr uint16_t kGuard = 0xA5A5;

// 5-6-5 memory as a surface holds it, with a guard row above and below and
// guard columns on the right (the pitch is wider than the width), and a
// device context on it.
class SurfaceMemory {
public:
    SurfaceMemory(int width, int height, uint16_t fill = 0)
        : width_(width)
        , height_(height)
        , pitch_(width + 3)
        , words_(static_cast<size_t>(height + 2) * pitch_, kGuard)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                at(x, y) = fill;
        dc_ = layer::CreateSurfaceDC(words_.data() + pitch_, width, height, pitch_ * 2);
    }
    ~SurfaceMemory()
    {
        if (dc_ != nullptr)
            layer::DestroySurfaceDC(dc_);
    }
    SurfaceMemory(const SurfaceMemory&) = delete;
    SurfaceMemory& operator=(const SurfaceMemory&) = delete;

    HDC dc() const
    {
        return dc_;
    }
    int width() const
    {
        return width_;
    }
    int height() const
    {
        return height_;
    }
    uint16_t& at(int x, int y)
    {
        return words_[static_cast<size_t>(y + 1) * pitch_ + x];
    }

    // True when nothing outside the width x height pixels was written.
    bool GuardsIntact() const
    {
        for (int y = -1; y <= height_; ++y)
            for (int x = 0; x < pitch_; ++x) {
                const bool inside = y >= 0 && y < height_ && x < width_;
                if (!inside && words_[static_cast<size_t>(y + 1) * pitch_ + x] != kGuard)
                    return false;
            }
        return true;
    }

private:
    int width_, height_, pitch_;
    std::vector<uint16_t> words_;
    HDC dc_ = nullptr;
};

// A DIB section with the given colours, top row first.
inline HBITMAP MakeBitmap(int width, int height, const std::vector<COLORREF>& colors)
{
    layer::gdi::Bitmap* bitmap = nullptr;
    HBITMAP handle = layer::gdi::CreateDibBitmap(width, height, &bitmap);
    if (handle == nullptr)
        return nullptr;
    const layer::gdi::Canvas canvas = bitmap->GetCanvas();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            canvas.Write(x, y, colors[static_cast<size_t>(y) * width + x]);
    return handle;
}

// A memory DC holding a new bitmap; both go with Release().
struct MemoryCanvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;

    MemoryCanvas(int width, int height, const std::vector<COLORREF>& colors)
    {
        bitmap = MakeBitmap(width, height, colors);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
    }
    void Release()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

}  // namespace gditest
