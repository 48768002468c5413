// LoadImageA of bitmaps from .bmp files and from the module's resources, seen
// through GetObjectA, a memory DC's GetPixel and StretchBlt. Win32 calls only:
// the same checks run on the real platform.
#include "platform/win32.h"
#include "support/bitmap_files.h"
#include "support/bmp_bytes.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using bmptest::BuildBmp;

constexpr UINT kFromFile = LR_LOADFROMFILE | LR_CREATEDIBSECTION;

HBITMAP LoadFile(const std::string& path, int cx = 0, int cy = 0)
{
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, cx, cy, kFromFile));
}

// Every pixel through a memory DC, top row first, as 0x00RRGGBB; checks the
// size in the BITMAP record on the way.
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int width, int height)
{
    BITMAP record{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, width);
    EXPECT_EQ(record.bmHeight, height);
    EXPECT_EQ(record.bmPlanes, 1);
    EXPECT_NE(record.bmBits, nullptr);  // a DIB section
    std::vector<uint32_t> pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(dc, bitmap);
    EXPECT_NE(original, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            pixels.push_back(
                uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c));
        }
    SelectObject(dc, original);
    EXPECT_TRUE(DeleteDC(dc));
    return pixels;
}

struct FileCase {
    const char* name;
    bmptest::BmpSpec spec;
    std::vector<uint32_t> raw;  // stored values, top row first
    std::vector<uint32_t> expected;  // 0x00RRGGBB, top row first
    // Per channel: the platform may keep 16-bit pixels at 5 bits a channel.
    int tolerance;
};

std::vector<FileCase> FileCases()
{
    std::vector<uint32_t> sixteen;
    for (uint32_t i = 0; i < 16; ++i)
        sixteen.push_back((i * 16) << 16 | (255 - i * 16) << 8 | 0x40);
    const std::vector<uint32_t> primaries = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    return {
        {"TwentyFourBit", {2, 2, 24, 0, 40, {}, {}, -1}, primaries, primaries, 0},
        {"EightBit", {3, 2, 8, 0, 40, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x204060}, {}, -1},
            {1, 2, 3, 4, 0, 1}, {0xFF0000, 0x00FF00, 0x0000FF, 0x204060, 0x000000, 0xFF0000}, 0},
        {"FourBit", {5, 1, 4, 0, 40, sixteen, {}, -1}, {0, 15, 3, 12, 7},
            {sixteen[0], sixteen[15], sixteen[3], sixteen[12], sixteen[7]}, 0},
        {"OneBit", {9, 1, 1, 0, 40, {0x000080, 0xFFFF00}, {}, -1}, {1, 0, 1, 1, 0, 0, 1, 0, 1},
            {0xFFFF00, 0x000080, 0xFFFF00, 0xFFFF00, 0x000080, 0x000080, 0xFFFF00, 0x000080,
                0xFFFF00},
            0},
        {"SixteenBitBitfields565", {4, 2, 16, 3, 40, {}, {0xF800, 0x07E0, 0x001F}, -1},
            {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF81F, 0x07FF, 0xFFE0},
            {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF, 0x00FFFF, 0xFFFF00}, 7},
        {"ThirtyTwoBit", {2, 2, 32, 0, 40, {}, {}, -1}, primaries, primaries, 0},
    };
}

class LoadImageFileTest : public testing::TestWithParam<FileCase> { };

TEST_P(LoadImageFileTest, LoadsTheFilesPixels)
{
    const FileCase& c = GetParam();
    testbmp::TempFolder folder;
    HBITMAP bitmap = LoadFile(folder.Write("picture.bmp", BuildBmp(c.spec, c.raw, true)));
    ASSERT_NE(bitmap, nullptr);
    const std::vector<uint32_t> pixels = ReadPixels(bitmap, c.spec.width, c.spec.height);
    ASSERT_EQ(pixels.size(), c.expected.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        for (int shift : {16, 8, 0})
            EXPECT_LE(std::abs(static_cast<int>((pixels[i] >> shift) & 0xFF)
                          - static_cast<int>((c.expected[i] >> shift) & 0xFF)),
                c.tolerance)
                << "pixel " << i << std::hex << ": " << pixels[i] << " against " << c.expected[i];
    EXPECT_TRUE(DeleteObject(bitmap));
}

INSTANTIATE_TEST_SUITE_P(Formats, LoadImageFileTest, testing::ValuesIn(FileCases()),
    [](const auto& info) { return std::string(info.param.name); });

const std::vector<uint32_t> kQuads = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};

TEST(LoadImageTest, RequestedSizeScales)
{
    testbmp::TempFolder folder;
    const std::string four
        = folder.Write("four.bmp", BuildBmp({2, 2, 24, 0, 40, {}, {}, -1}, kQuads, true));
    // 4 x 4 in blocks of 2 x 2, so any way of shrinking gives the same.
    std::vector<uint32_t> blocks;
    for (int i = 0; i < 16; ++i)
        blocks.push_back(kQuads[(i / 8) * 2 + (i % 4) / 2]);
    const std::string big
        = folder.Write("blocks.bmp", BuildBmp({4, 4, 24, 0, 40, {}, {}, -1}, blocks, true));

    HBITMAP halved = LoadFile(big, 2, 2);
    ASSERT_NE(halved, nullptr);
    EXPECT_EQ(ReadPixels(halved, 2, 2), kQuads);
    EXPECT_TRUE(DeleteObject(halved));

    // The platform may smooth an enlarged picture: only the corners are
    // certain. A zero width or height keeps the picture's own.
    struct Request {
        int cx, cy, width, height;
    };
    for (Request r : {Request{4, 6, 4, 6}, Request{4, 0, 4, 2}, Request{0, 4, 2, 4}}) {
        HBITMAP bitmap = LoadFile(four, r.cx, r.cy);
        ASSERT_NE(bitmap, nullptr);
        const std::vector<uint32_t> pixels = ReadPixels(bitmap, r.width, r.height);
        EXPECT_EQ(pixels.front(), kQuads[0]);
        EXPECT_EQ(pixels[r.width - 1], kQuads[1]);
        EXPECT_EQ(pixels[(r.height - 1) * r.width], kQuads[2]);
        EXPECT_EQ(pixels.back(), kQuads[3]);
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST(LoadImageTest, StretchBltDoublesALoadedBitmapIntoAnother)
{
    testbmp::TempFolder folder;
    HBITMAP from
        = LoadFile(folder.Write("four.bmp", BuildBmp({2, 2, 24, 0, 40, {}, {}, -1}, kQuads, true)));
    HBITMAP to = LoadFile(folder.Write("blank.bmp",
        BuildBmp({4, 4, 24, 0, 40, {}, {}, -1}, std::vector<uint32_t>(16, 0x010101), true)));
    ASSERT_NE(from, nullptr);
    ASSERT_NE(to, nullptr);
    HDC fromDc = CreateCompatibleDC(nullptr);
    HDC toDc = CreateCompatibleDC(nullptr);
    HGDIOBJ fromOriginal = SelectObject(fromDc, from);
    HGDIOBJ toOriginal = SelectObject(toDc, to);

    // One pixel over the top-left 3 x 3: the last row and column stay blank.
    EXPECT_TRUE(StretchBlt(toDc, 0, 0, 3, 3, fromDc, 0, 0, 1, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(toDc, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(toDc, 3, 3), RGB(1, 1, 1));
    EXPECT_EQ(GetPixel(toDc, 3, 0), RGB(1, 1, 1));
    EXPECT_TRUE(StretchBlt(toDc, 0, 0, 4, 4, fromDc, 0, 0, 2, 2, SRCCOPY));
    SelectObject(toDc, toOriginal);
    SelectObject(fromDc, fromOriginal);
    EXPECT_TRUE(DeleteDC(fromDc));
    EXPECT_TRUE(DeleteDC(toDc));
    std::vector<uint32_t> doubled;
    for (int i = 0; i < 16; ++i)
        doubled.push_back(kQuads[(i / 8) * 2 + (i % 4) / 2]);
    EXPECT_EQ(ReadPixels(to, 4, 4), doubled);
    EXPECT_TRUE(DeleteObject(from));
    EXPECT_TRUE(DeleteObject(to));
}

TEST(LoadImageTest, WhatIsNotABitmapGivesNull)
{
    testbmp::TempFolder folder;
    std::vector<uint8_t> cut = BuildBmp({2, 2, 24, 0, 40, {}, {}, -1}, kQuads, true);
    cut.resize(20);
    for (const std::string& path :
        {folder.Write("text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'}), folder.Write("cut.bmp", cut),
            folder.Write("empty.bmp", {}), (folder.path / "missing.bmp").string()})
        EXPECT_EQ(LoadFile(path), nullptr) << path;
    EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "NO_SUCH_TILE", IMAGE_BITMAP, 0, 0,
                  LR_CREATEDIBSECTION),
        nullptr);
}

TEST(LoadImageTest, ResourceLoadsAtTheRequestedSize)
{
    auto tile = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), "TILE1", IMAGE_BITMAP, 32, 32, LR_CREATEDIBSECTION));
    ASSERT_NE(tile, nullptr);
    // Grass is green alone: red and blue read 0 everywhere.
    for (uint32_t pixel : ReadPixels(tile, 32, 32)) {
        EXPECT_EQ(pixel & 0xFF00FF, 0u);
        EXPECT_GE((pixel >> 8) & 0xFF, 64u);
    }
    EXPECT_TRUE(DeleteObject(tile));
}

}  // namespace
