// LoadImageA of bitmaps from .bmp files and from the module's resources, seen
// through GetObjectA and a memory DC's GetPixel. Win32 calls only: the same
// checks run on the real platform.
#include "platform/win32.h"
#include "support/bmp_bytes.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using bmptest::BmpShape;
using bmptest::BuildBmp;

HBITMAP LoadFile(const std::string& path, int cx = 0, int cy = 0)
{
    return static_cast<HBITMAP>(LoadImageA(
        nullptr, path.c_str(), IMAGE_BITMAP, cx, cy, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// Every pixel through a memory DC, top row first, as 0x00RRGGBB, after
// checking the BITMAP record: the size, and the DIB section's own depth (the
// picture's, scaled or not) with rows of whole 32-bit words. Deletes the
// bitmap.
std::vector<uint32_t> TakePixels(HBITMAP bitmap, int width, int height, int bitsPerPixel)
{
    BITMAP record{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, width);
    EXPECT_EQ(record.bmHeight, height);
    EXPECT_EQ(record.bmBitsPixel, bitsPerPixel);
    EXPECT_EQ(record.bmWidthBytes, (width * bitsPerPixel + 31) / 32 * 4);
    std::vector<uint32_t> pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(dc, bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            pixels.push_back(
                uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c));
        }
    SelectObject(dc, original);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
    return pixels;
}

TEST(LoadImage, ReadsEveryBitDepthOfAFile)
{
    std::vector<uint32_t> sixteen;
    for (uint32_t i = 0; i < 16; ++i)
        sixteen.push_back((i * 16) << 16 | (255 - i * 16) << 8 | 0x40);
    const std::vector<uint32_t> primaries = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    struct Case {
        const char* name;
        BmpShape shape;
        std::vector<uint32_t> raw, expected;  // stored values and 0x00RRGGBB, top row first
        int tolerance;  // per channel: the platform may keep 16-bit pixels at 5 bits
    };
    const Case cases[] = {
        {"24 bits", {2, 2, 24}, primaries, primaries, 0},
        {"32 bits", {2, 2, 32}, primaries, primaries, 0},
        {"8 bits", {3, 2, 8, 0, 40, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x204060}},
            {1, 2, 3, 4, 0, 1}, {0xFF0000, 0x00FF00, 0x0000FF, 0x204060, 0x000000, 0xFF0000}, 0},
        {"4 bits", {5, 1, 4, 0, 40, sixteen}, {0, 15, 3, 12, 7},
            {sixteen[0], sixteen[15], sixteen[3], sixteen[12], sixteen[7]}, 0},
        {"1 bit", {9, 1, 1, 0, 40, {0x000080, 0xFFFF00}}, {1, 0, 1, 1, 0, 0, 1, 0, 1},
            {0xFFFF00, 0x000080, 0xFFFF00, 0xFFFF00, 0x000080, 0x000080, 0xFFFF00, 0x000080,
                0xFFFF00},
            0},
        {"16 bits 5-6-5", {4, 2, 16, 3, 40, {}, {0xF800, 0x07E0, 0x001F}},
            {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF81F, 0x07FF, 0xFFE0},
            {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF, 0x00FFFF, 0xFFFF00}, 7},
    };
    bmptest::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap = LoadFile(folder.Write("picture.bmp", BuildBmp(c.shape, c.raw, true)));
        ASSERT_NE(bitmap, nullptr);
        const std::vector<uint32_t> pixels
            = TakePixels(bitmap, c.shape.width, c.shape.height, c.shape.bitCount);
        ASSERT_EQ(pixels.size(), c.expected.size());
        for (size_t i = 0; i < pixels.size(); ++i)
            for (int shift : {16, 8, 0})
                EXPECT_LE(std::abs(static_cast<int>((pixels[i] >> shift) & 0xFF)
                              - static_cast<int>((c.expected[i] >> shift) & 0xFF)),
                    c.tolerance)
                    << "pixel " << i << std::hex << ": " << pixels[i] << " for " << c.expected[i];
    }
}

TEST(LoadImage, ScalesToTheRequestedSize)
{
    const std::vector<uint32_t> quads = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    bmptest::TempFolder folder;
    const std::string four = folder.Write("four.bmp", BuildBmp({2, 2}, quads, true));
    // 4 x 4 in blocks of 2 x 2, so any way of shrinking gives the same.
    const std::string big = folder.Write("blocks.bmp",
        BuildBmp({4, 4},
            bmptest::PixelsOf(4, 4, [&](int x, int y) { return quads[(y / 2) * 2 + x / 2]; }),
            true));
    EXPECT_EQ(TakePixels(LoadFile(big, 2, 2), 2, 2, 24), quads);

    // The platform may smooth an enlarged picture: only the corners are
    // certain. A zero width or height keeps the picture's own.
    struct Request {
        int cx, cy, width, height;
    };
    for (Request r : {Request{4, 6, 4, 6}, Request{4, 0, 4, 2}, Request{0, 4, 2, 4}}) {
        HBITMAP bitmap = LoadFile(four, r.cx, r.cy);
        ASSERT_NE(bitmap, nullptr);
        const std::vector<uint32_t> pixels = TakePixels(bitmap, r.width, r.height, 24);
        EXPECT_EQ(pixels.front(), quads[0]);
        EXPECT_EQ(pixels[r.width - 1], quads[1]);
        EXPECT_EQ(pixels[(r.height - 1) * r.width], quads[2]);
        EXPECT_EQ(pixels.back(), quads[3]);
    }

    // A resource, scaled the same way: grass is green alone.
    auto tile = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), "TILE1", IMAGE_BITMAP, 32, 32, LR_CREATEDIBSECTION));
    ASSERT_NE(tile, nullptr);
    for (uint32_t pixel : TakePixels(tile, 32, 32, 24))
        ASSERT_TRUE((pixel & 0xFF00FF) == 0 && (pixel >> 8 & 0xFF) >= 64) << std::hex << pixel;
}

TEST(LoadImage, WhatIsNotABitmapGivesNull)
{
    bmptest::TempFolder folder;
    std::vector<uint8_t> cut = BuildBmp({2, 2}, {1, 2, 3, 4}, true);
    cut.resize(20);
    for (const std::string& path :
        {folder.Write("text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'}), folder.Write("cut.bmp", cut),
            folder.Write("empty.bmp", {}), (folder.path / "missing.bmp").string()})
        EXPECT_EQ(LoadFile(path), nullptr) << path;
    EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "NO_SUCH_TILE", IMAGE_BITMAP, 0, 0,
                  LR_CREATEDIBSECTION),
        nullptr);
}

}  // namespace
