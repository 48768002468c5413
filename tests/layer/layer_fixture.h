// The layer after ResetLayer, with a window, a DirectDraw object in
// exclusive 640 x 480 x 16 mode, and helpers to make and fill surfaces.
#pragma once

#include "platform/layer/testing/test_controls.h"
#include "platform/win32.h"
#include "support/surface_description.h"
#include "support/test_window.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace layertest {

namespace test = layer::test;

constexpr DWORD EXCLUSIVE_LEVEL
    = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;

using testsupport::OffscreenDescription;

inline DDSURFACEDESC ChainDescription()
{
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    return desc;
}

// Writes value(x, y) into every pixel through Lock, using the real pitch.
inline void Fill(IDirectDrawSurface* surface, const std::function<uint16_t(int, int)>& value)
{
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(
            static_cast<uint8_t*>(desc.lpSurface) + static_cast<size_t>(y) * desc.lPitch);
        for (DWORD x = 0; x < desc.dwWidth; ++x)
            row[x] = value(static_cast<int>(x), static_cast<int>(y));
    }
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
        ASSERT_EQ(dd->SetCooperativeLevel(window, EXCLUSIVE_LEVEL), DD_OK);
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
        DDSURFACEDESC desc = ChainDescription();
        ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
        DDSCAPS caps = {DDSCAPS_BACKBUFFER};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }

    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
};

}  // namespace layertest
