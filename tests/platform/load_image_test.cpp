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

using bmptest::BmpSpec;
using bmptest::BuildBmp;

constexpr UINT kFromFile = LR_LOADFROMFILE | LR_CREATEDIBSECTION;

// Reads every pixel of a bitmap through a memory DC, top row first, as
// 0x00RRGGBB; the DC is gone again before it returns.
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int width, int height)
{
    std::vector<uint32_t> pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(dc, nullptr);
    HGDIOBJ original = SelectObject(dc, bitmap);
    EXPECT_NE(original, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            pixels.push_back(
                (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c));
        }
    SelectObject(dc, original);
    EXPECT_TRUE(DeleteDC(dc));
    return pixels;
}

void ExpectPixelsNear(
    const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected, int tolerance)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        for (int shift : {16, 8, 0}) {
            const int a = static_cast<int>((actual[i] >> shift) & 0xFF);
            const int e = static_cast<int>((expected[i] >> shift) & 0xFF);
            EXPECT_LE(std::abs(a - e), tolerance)
                << "pixel " << i << " channel at bit " << shift << ": " << std::hex << actual[i]
                << " against " << expected[i];
        }
}

struct FileCase {
    const char* name;
    BmpSpec spec;
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
    return {
        {"TwentyFourBit", {3, 2, 24, 0, 40, {}, {}, -1},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000}, 0},
        {"EightBit", {3, 2, 8, 0, 40, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x204060}, {}, -1},
            {1, 2, 3, 4, 0, 1}, {0xFF0000, 0x00FF00, 0x0000FF, 0x204060, 0x000000, 0xFF0000}, 0},
        {"FourBit", {5, 2, 4, 0, 40, sixteen, {}, -1}, {0, 15, 3, 12, 7, 8, 1, 14, 2, 13},
            {sixteen[0], sixteen[15], sixteen[3], sixteen[12], sixteen[7], sixteen[8], sixteen[1],
                sixteen[14], sixteen[2], sixteen[13]},
            0},
        {"OneBit", {9, 2, 1, 0, 40, {0x000080, 0xFFFF00}, {}, -1},
            {1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 0, 1, 0},
            {0xFFFF00, 0x000080, 0xFFFF00, 0xFFFF00, 0x000080, 0x000080, 0xFFFF00, 0x000080,
                0xFFFF00, 0x000080, 0xFFFF00, 0x000080, 0x000080, 0xFFFF00, 0xFFFF00, 0x000080,
                0xFFFF00, 0x000080},
            0},
        {"SixteenBitBitfields565", {4, 2, 16, 3, 40, {}, {0xF800, 0x07E0, 0x001F}, -1},
            {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF81F, 0x07FF, 0xFFE0},
            {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF, 0x00FFFF, 0xFFFF00}, 7},
        {"ThirtyTwoBit", {2, 2, 32, 0, 40, {}, {}, -1},
            {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x123456}, 0},
    };
}

class LoadImageFileTest : public testing::TestWithParam<FileCase> { };

TEST_P(LoadImageFileTest, LoadsTheFilesPixels)
{
    const FileCase& c = GetParam();
    testbmp::TempFolder folder;
    const std::string path = folder.Write("picture.bmp", BuildBmp(c.spec, c.raw, true));
    const int width = c.spec.width;
    const int height = c.spec.height < 0 ? -c.spec.height : c.spec.height;

    auto bitmap
        = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, kFromFile));
    ASSERT_NE(bitmap, nullptr);
    BITMAP record{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, width);
    EXPECT_EQ(record.bmHeight, height);
    EXPECT_EQ(record.bmPlanes, 1);
    EXPECT_NE(record.bmBits, nullptr);  // a DIB section
    ExpectPixelsNear(ReadPixels(bitmap, width, height), c.expected, c.tolerance);
    EXPECT_TRUE(DeleteObject(bitmap));
}

INSTANTIATE_TEST_SUITE_P(Formats, LoadImageFileTest, testing::ValuesIn(FileCases()),
    [](const auto& info) { return std::string(info.param.name); });

// A 2 x 2 picture of four colours.
std::vector<uint8_t> FourColours()
{
    return BuildBmp({2, 2, 24, 0, 40, {}, {}, -1}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00}, true);
}

// The platform may smooth an enlarged picture, so only the size and the
// four corners are certain.
TEST(LoadImageTest, RequestedSizeScalesUp)
{
    testbmp::TempFolder folder;
    const std::string path = folder.Write("four.bmp", FourColours());
    auto bitmap
        = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 4, 6, kFromFile));
    ASSERT_NE(bitmap, nullptr);
    BITMAP record{};
    ASSERT_NE(GetObjectA(bitmap, sizeof record, &record), 0);
    EXPECT_EQ(record.bmWidth, 4);
    EXPECT_EQ(record.bmHeight, 6);
    const std::vector<uint32_t> pixels = ReadPixels(bitmap, 4, 6);
    EXPECT_EQ(pixels[0], 0xFF0000u);
    EXPECT_EQ(pixels[3], 0x00FF00u);
    EXPECT_EQ(pixels[5 * 4], 0x0000FFu);
    EXPECT_EQ(pixels[5 * 4 + 3], 0xFFFF00u);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(LoadImageTest, RequestedSizeScalesDown)
{
    // 4 x 4 in blocks of 2 x 2, so any way of shrinking gives the same.
    std::vector<uint32_t> raw;
    const std::vector<uint32_t> quads = {0x00FF00, 0xFF00FF, 0x0000FF, 0x808000};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            raw.push_back(quads[(y / 2) * 2 + x / 2]);
    testbmp::TempFolder folder;
    const std::string path
        = folder.Write("blocks.bmp", BuildBmp({4, 4, 24, 0, 40, {}, {}, -1}, raw, true));
    auto bitmap
        = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 2, 2, kFromFile));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(ReadPixels(bitmap, 2, 2), quads);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(LoadImageTest, ZeroWidthOrHeightKeepsThatSideOfThePicture)
{
    testbmp::TempFolder folder;
    const std::string path = folder.Write("four.bmp", FourColours());
    struct Request {
        int cx, cy, width, height;
    };
    for (Request r : {Request{4, 0, 4, 2}, Request{0, 4, 2, 4}, Request{0, 0, 2, 2}}) {
        auto bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, r.cx, r.cy, kFromFile));
        ASSERT_NE(bitmap, nullptr);
        BITMAP record{};
        ASSERT_NE(GetObjectA(bitmap, sizeof record, &record), 0);
        EXPECT_EQ(record.bmWidth, r.width) << r.cx << " x " << r.cy;
        EXPECT_EQ(record.bmHeight, r.height) << r.cx << " x " << r.cy;
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST(LoadImageTest, StretchBltDoublesALoadedBitmapIntoAnother)
{
    testbmp::TempFolder folder;
    const std::string source = folder.Write("four.bmp", FourColours());
    const std::string target = folder.Write("blank.bmp",
        BuildBmp({4, 4, 24, 0, 40, {}, {}, -1}, std::vector<uint32_t>(16, 0x010101), true));
    auto from
        = static_cast<HBITMAP>(LoadImageA(nullptr, source.c_str(), IMAGE_BITMAP, 0, 0, kFromFile));
    auto to
        = static_cast<HBITMAP>(LoadImageA(nullptr, target.c_str(), IMAGE_BITMAP, 0, 0, kFromFile));
    ASSERT_NE(from, nullptr);
    ASSERT_NE(to, nullptr);
    HDC fromDc = CreateCompatibleDC(nullptr);
    HDC toDc = CreateCompatibleDC(nullptr);
    HGDIOBJ fromOriginal = SelectObject(fromDc, from);
    HGDIOBJ toOriginal = SelectObject(toDc, to);

    // The top-left 3 x 3 only: the last row and column keep the blank colour.
    EXPECT_TRUE(StretchBlt(toDc, 0, 0, 3, 3, fromDc, 0, 0, 1, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(toDc, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(toDc, 3, 3), RGB(1, 1, 1));
    EXPECT_EQ(GetPixel(toDc, 3, 0), RGB(1, 1, 1));
    EXPECT_TRUE(StretchBlt(toDc, 0, 0, 4, 4, fromDc, 0, 0, 2, 2, SRCCOPY));
    const COLORREF quads[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(GetPixel(toDc, x, y), quads[(y / 2) * 2 + x / 2]) << x << "," << y;

    SelectObject(fromDc, fromOriginal);
    SelectObject(toDc, toOriginal);
    EXPECT_TRUE(DeleteDC(fromDc));
    EXPECT_TRUE(DeleteDC(toDc));
    EXPECT_TRUE(DeleteObject(from));
    EXPECT_TRUE(DeleteObject(to));
}

TEST(LoadImageTest, WhatIsNotABitmapFileGivesNull)
{
    testbmp::TempFolder folder;
    const std::string text = folder.Write("text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'});
    std::vector<uint8_t> headerOnly = FourColours();
    headerOnly.resize(20);
    const std::string cut = folder.Write("cut.bmp", headerOnly);
    const std::string empty = folder.Write("empty.bmp", {});
    const std::string missing = (folder.path / "missing.bmp").string();
    for (const std::string& path : {text, cut, empty, missing})
        EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, kFromFile), nullptr)
            << path;
}

TEST(LoadImageTest, ResourceLoadsAtTheRequestedSize)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    auto tile = static_cast<HBITMAP>(
        LoadImageA(module, "TILE1", IMAGE_BITMAP, 32, 32, LR_CREATEDIBSECTION));
    ASSERT_NE(tile, nullptr);
    BITMAP record{};
    ASSERT_NE(GetObjectA(tile, sizeof record, &record), 0);
    EXPECT_EQ(record.bmWidth, 32);
    EXPECT_EQ(record.bmHeight, 32);
    // Grass is green alone: red and blue read 0 everywhere.
    for (uint32_t pixel : ReadPixels(tile, 32, 32)) {
        EXPECT_EQ(pixel & 0xFF00FF, 0u);
        EXPECT_GE((pixel >> 8) & 0xFF, 64u);
    }
    EXPECT_TRUE(DeleteObject(tile));
}

TEST(LoadImageTest, MissingResourceGivesNull)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    EXPECT_EQ(LoadImageA(module, "NO_SUCH_TILE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
}

}  // namespace
