// The layer after ResetLayer, with a window; DisplayTest adds DirectDraw in
// exclusive 640 x 480 x 16 mode. GDI tests draw into guarded 5-6-5 memory
// and into 32-bit bitmaps with known pixels.
#pragma once

#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/gdi/objects.h"
#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"
#include "tests/support/surface_description.h"
#include "tests/support/test_window.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace layertest {

namespace test = layer::test;
using testsupport::OffscreenDescription;

// Writes value(x, y) into every pixel through Lock, using the real pitch.
inline void Fill(IDirectDrawSurface* surface, const std::function<uint16_t(int, int)>& value)
{
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        for (DWORD x = 0; x < desc.dwWidth; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x]
                = value(static_cast<int>(x), static_cast<int>(y));
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
}

class LayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer(1024, 768);
        window = CreateTestWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        test::ResetLayer();
    }

    HWND window = nullptr;
};

class DisplayTest : public LayerTest {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    }

    IDirectDrawSurface* Offscreen(DWORD width, DWORD height)
    {
        DDSURFACEDESC desc = OffscreenDescription(width, height);
        IDirectDrawSurface* surface = nullptr;
        EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
        return surface;
    }

    // The primary and its back buffer, looked up as the program does.
    void MakeChain()
    {
        DDSURFACEDESC desc = OffscreenDescription(0, 0);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
        DDSCAPS caps = {DDSCAPS_BACKBUFFER};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }

    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
};

// 5-6-5 memory with a device context on it, and guard words all around: a
// row above and below, and the three columns a wider pitch leaves.
struct SurfaceMemory {
    static constexpr uint16_t GUARD = 0xA5A5;
    const int width, height, pitch = width + 3;
    std::vector<uint16_t> words = std::vector<uint16_t>((height + 2) * pitch, GUARD);
    HDC dc = nullptr;

    SurfaceMemory(int width, int height, uint16_t fill = 0)
        : width(width)
        , height(height)
    {
        for (int y = 0; y < height; ++y)
            std::fill_n(&at(0, y), width, fill);
        dc = layer::CreateSurfaceDC(&at(0, 0), width, height, pitch * 2);
    }
    ~SurfaceMemory()
    {
        layer::DestroySurfaceDC(dc);
    }
    uint16_t& at(int x, int y)
    {
        return words[static_cast<size_t>(y + 1) * pitch + x];
    }
    bool GuardsIntact()
    {
        for (int y = -1; y <= height; ++y)
            for (int x = 0; x < pitch; ++x)
                if ((y < 0 || y == height || x >= width) && at(x, y) != GUARD)
                    return false;
        return true;
    }
};

// A memory DC holding a new 32-bit bitmap with the given colours, top row
// first; both go with Release().
struct MemoryCanvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;

    MemoryCanvas(int width, int height, const std::vector<COLORREF>& colors)
    {
        layer::gdi::Bitmap* made = nullptr;
        bitmap = layer::gdi::CreateDibBitmap(width, height, &made);
        for (size_t i = 0; i < colors.size(); ++i)
            made->GetCanvas().Write(i % width, i / width, colors[i]);
        SelectObject(dc, bitmap);
    }
    void Release()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

}  // namespace layertest
