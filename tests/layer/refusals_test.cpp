// Bad input to the layer: each call fails as the platform's would, and says
// why in one line on standard error, "layer: <call>: <reason>".
#include "tests/layer/layer_fixture.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace layertest {
namespace {

class Refusals : public DisplayTest { };

TEST_F(Refusals, EachBadCallFailsWithItsOneLineOnStandardError)
{
    MemoryCanvas canvas(2, 2, {0, 0, 0, 0});
    HDC dc = canvas.dc, bad = reinterpret_cast<HDC>(&canvas);
    IDirectDrawSurface* surface = Offscreen(4, 4);
    HDC surfaceDc = nullptr;
    ASSERT_EQ(surface->GetDC(&surfaceDc), DD_OK);
    // A sparse file larger than any bitmap's bytes.
    char big[] = "/tmp/refusals-XXXXXX";
    const int fd = mkstemp(big);
    ASSERT_TRUE(fd >= 0 && ftruncate(fd, off_t{1} << 40) == 0);
    close(fd);
    test::RegisterResource("JUNK", RT_BITMAP, {'B', 'M', 1, 2});
    const auto description = [](DWORD flags, DWORD caps, DWORD width, DWORD backBuffers) {
        DDSURFACEDESC desc = OffscreenDescription(width, 4);
        desc.dwFlags = flags, desc.ddsCaps.dwCaps = caps, desc.dwBackBufferCount = backBuffers;
        return desc;
    };
    const DWORD sized = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, primaryCaps = DDSCAPS_PRIMARYSURFACE;
    const DWORD chainCaps = primaryCaps | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    const DWORD counted = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    const DWORD bothMemories = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
    DDSURFACEDESC wrongFormat = description(sized | DDSD_PIXELFORMAT, 0, 4, 0);
    wrongFormat.ddpfPixelFormat.dwRGBBitCount = 32;
    IDirectDrawSurface* made = nullptr;
    const auto creates = [&](DDSURFACEDESC desc) {
        return dd->CreateSurface(&desc, &made, nullptr) != DD_OK && made == nullptr;
    };
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    MSG msg;
    BITMAP record;
    RECT rect{0, 0, 1, 1};
    WNDCLASSEXA unsized{};
    GUID driver{};
    IDirectDraw* noDd = nullptr;
    layer::gdi::Bitmap* bitmap = nullptr;
    DDCOLORKEY key{};
    DDSURFACEDESC lockDesc{};
    lockDesc.dwSize = sizeof lockDesc;
    uint16_t words[4] = {};
    struct Row {
        const char* call;
        const char* reason;  // a part of it
        std::function<bool()> refused;
    };
    // clang-format off
    const Row rows[] = {
    {"GetPixel", "not a device", [&] { return GetPixel(bad, 0, 0) == CLR_INVALID; }},
    {"SetPixel", "not a device", [&] { return SetPixel(bad, 0, 0, 0) == CLR_INVALID; }},
    {"StretchBlt", "SRCCOPY",
        [&] { return !StretchBlt(dc, 0, 0, 1, 1, dc, 0, 0, 1, 1, 0x00EE0086); }},
    {"StretchBlt", "not a device",
        [&] { return !StretchBlt(dc, 0, 0, 1, 1, bad, 0, 0, 1, 1, SRCCOPY); }},
    {"StretchBlt", "positive",
        [&] { return !StretchBlt(dc, 0, 0, 1, 1, dc, 0, 0, 1, 0, SRCCOPY); }},
    {"SetBkColor", "not a device", [&] { return SetBkColor(bad, 0) == CLR_INVALID; }},
    {"SetTextColor", "not a device", [&] { return SetTextColor(bad, 0) == CLR_INVALID; }},
    {"TextOutA", "not a device", [&] { return !TextOutA(bad, 0, 0, "x", 1); }},
    {"TextOutA", "no text", [&] { return !TextOutA(dc, 0, 0, nullptr, 2); }},
    {"CreateCompatibleDC", "not a device", [&] { return !CreateCompatibleDC(bad); }},
    {"GetDC", "unusable", [&] { return !layer::CreateSurfaceDC(words, 0, 1, 2); }},
    {"GetDC", "unusable", [&] { return !layer::CreateSurfaceDC(words, 1, 0, 2); }},
    {"GetDC", "unusable", [&] { return !layer::CreateSurfaceDC(words, 1, 1, 3); }},
    {"ReleaseDC", "surface's",
        [&] { layer::DestroySurfaceDC(dc); return GetPixel(dc, 0, 0) != CLR_INVALID; }},
    {"DeleteDC", "not a device", [&] { return !DeleteDC(bad); }},
    {"DeleteDC", "ReleaseDC", [&] { return !DeleteDC(surfaceDc); }},
    {"SelectObject", "not a device", [&] { return !SelectObject(bad, canvas.bitmap); }},
    {"SelectObject", "not a bitmap", [&] { return !SelectObject(dc, bad); }},
    {"SelectObject", "takes no bitmap", [&] { return !SelectObject(surfaceDc, canvas.bitmap); }},
    {"SelectObject", "another",
        [&] { return !SelectObject(CreateCompatibleDC(dc), canvas.bitmap); }},
    {"DeleteObject", "DeleteDC", [&] { return !DeleteObject(dc); }},
    {"DeleteObject", "selected", [&] { return !DeleteObject(canvas.bitmap); }},
    {"DeleteObject", "GDI object", [&] { return !DeleteObject(bad); }},
    {"GetObjectA", "not a bitmap", [&] { return !GetObjectA(bad, sizeof record, &record); }},
    {"GetObjectA", "smaller",
        [&] { return !GetObjectA(canvas.bitmap, sizeof record - 1, &record); }},
    {"GetStockObject", "no such", [&] { return !GetStockObject(BLACK_BRUSH + 1); }},
    {"CreateDIBSection", "range", [&] { return !layer::gdi::CreateDibBitmap(1, 0, &bitmap); }},
    {"LoadImageA", "bitmaps", [&] { return !LoadImageA(nullptr, "x", IMAGE_BITMAP + 1, 0, 0, 0); }},
    {"LoadImageA", "size", [&] { return !LoadImageA(nullptr, "x", IMAGE_BITMAP, 0, -1, 0); }},
    {"LoadImageA", "flags", [&] { return !LoadImageA(nullptr, "x", IMAGE_BITMAP, 0, 0, 1); }},
    {"LoadImageA", "too large",
        [&] { return !LoadImageA(nullptr, big, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE); }},
    {"LoadImageA", "",
        [&] { return !LoadImageA(GetModuleHandleA(nullptr), "JUNK", IMAGE_BITMAP, 0, 0, 0); }},
    {"PeekMessageA", "record", [&] { return !PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE); }},
    {"PeekMessageA", "filters", [&] { return !PeekMessageA(&msg, window, 0, 0, PM_REMOVE); }},
    {"PeekMessageA", "PM_REMOVE", [&] { return !PeekMessageA(&msg, nullptr, 0, 0, 2); }},
    {"ValidateRect", "rectangle", [&] { return !ValidateRect(window, &rect); }},
    {"RegisterClassExA", "", [&] { return !RegisterClassExA(&unsized); }},
    {"_lopen", "OF_READ", [&] { return _lopen(big, OF_READ + 1) == HFILE_ERROR; }},
    {"FindResourceA", "module", [&] { return !FindResourceA(HMODULE(bad), "JUNK", RT_BITMAP); }},
    {"SetColorKey", "DDCKEY_SRCBLT",
        [&] { return surface->SetColorKey(DDCKEY_SRCBLT * 2, &key) != DD_OK; }},
    {"Lock", "DDLOCK_WAIT",
        [&] { return surface->Lock(nullptr, &lockDesc, 0x10, nullptr) != DD_OK; }},
    {"SetCooperativeLevel", "",
        [&] { return dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE) != DD_OK; }},
    {"CreateSurface", "needs", [&] { return dd->CreateSurface(nullptr, &made, nullptr) != DD_OK; }},
    {"CreateSurface", "dwSize",
        [&] { DDSURFACEDESC d = description(sized, 0, 4, 0); d.dwSize--; return creates(d); }},
    {"CreateSurface", "flags", [&] { return creates(description(sized | 0x80000000u, 0, 4, 0)); }},
    {"CreateSurface", "primary", [&] { return creates(description(sized, primaryCaps, 4, 0)); }},
    {"CreateSurface", "one back", [&] { return creates(description(counted, chainCaps, 0, 2)); }},
    {"CreateSurface", "plain", [&] { return creates(description(sized, bothMemories, 4, 0)); }},
    {"CreateSurface", "8192", [&] { return creates(description(sized, 0, 8193, 0)); }},
    {"CreateSurface", "5-6-5", [&] { return creates(wrongFormat); }},
    {"CreatePalette", "entries", [&] { palette = reinterpret_cast<IDirectDrawPalette*>(entries);
        return dd->CreatePalette(DDPCAPS_8BIT, nullptr, &palette, nullptr) != DD_OK && !palette; }},
    {"CreatePalette", "256-entry",
        [&] { return dd->CreatePalette(DDPCAPS_ALLOW256, entries, &palette, 0) != DD_OK; }},
    {"DirectDrawCreate", "pointer",
        [&] { return DirectDrawCreate(nullptr, nullptr, nullptr) != DD_OK; }},
    {"DirectDrawCreate", "driver",
        [&] { return DirectDrawCreate(&driver, &noDd, nullptr) != DD_OK && !noDd; }},
    {"CreateSurface", "16-bit", [&] { dd->SetCooperativeLevel(window, DDSCL_NORMAL);
        return creates(description(sized, 0, 4, 0)); }}};  // in the desktop's mode again
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.call << ": " << row.reason << ", " << &row - rows);
        testing::internal::CaptureStderr();
        EXPECT_TRUE(row.refused());
        const std::string line = testing::internal::GetCapturedStderr();
        EXPECT_EQ(line.rfind(std::string("layer: ") + row.call + ": ", 0), 0u) << line;
        EXPECT_NE(line.find(row.reason), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line";
    }
    std::remove(big);
    EXPECT_EQ(surface->ReleaseDC(surfaceDc), DD_OK);
}

}  // namespace
}  // namespace layertest
