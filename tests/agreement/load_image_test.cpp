// LoadImageA of bitmaps from .bmp files and from the module's resources, seen
// through GetObjectA and a memory DC's GetPixel. Win32 calls only: the same
// checks run on the real platform.
#include "platform/win32.h"
#include "tests/support/bmp_bytes.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using bmptest::BuildBmp;

HBITMAP LoadFile(const std::string& path, int cx = 0, int cy = 0)
{
    return static_cast<HBITMAP>(LoadImageA(
        nullptr, path.c_str(), IMAGE_BITMAP, cx, cy, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// Every pixel through a memory DC, top row first, as 0x00RRGGBB, after
// checking the BITMAP record: the size, and the DIB section's own depth (the
// picture's, scaled or not) with rows of whole 32-bit words. Deletes the bitmap.
std::vector<uint32_t> TakePixels(HBITMAP bitmap, int width, int height, int bits)
{
    BITMAP record{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_TRUE(record.bmWidth == width && record.bmHeight == height && record.bmBitsPixel == bits
        && record.bmWidthBytes == (width * bits + 31) / 32 * 4)
        << record.bmWidth << " x " << record.bmHeight << " at " << record.bmBitsPixel
        << " bits, rows of " << record.bmWidthBytes << " bytes";
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

TEST(LoadImage, ReadsEveryBitDepthOfAFileAndShrinksIt)
{
    const uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, Y = 0xFFFF00;
    const uint32_t N = 0x000080;  // the 1-bit table's other colour
    const std::vector<uint32_t> primaries = {R, G, B, 0x123456};
    // 4 x 4 in blocks of 2 x 2, so any way of shrinking it by 2 gives the same.
    const std::vector<uint32_t> blocks
        = bmptest::PixelsOf(4, 4, [&](int x, int y) { return primaries[y / 2 * 2 + x / 2]; });
    struct Case {
        bmptest::BmpShape shape;
        std::vector<uint32_t> raw, expected;  // stored values and 0x00RRGGBB, top row first
        int tolerance;  // per channel: the platform may keep 16-bit pixels at 5 bits
        int cx = 0, cy = 0;  // the size asked for; 0 keeps the picture's own
    };
    const Case cases[] = {
        {{2, 2, 24}, primaries, primaries, 0},
        {{2, 2, 32}, primaries, primaries, 0},
        {{3, 2, 8, 0, 40, {0x000000, R, G, B, 0x204060}}, {1, 2, 3, 4, 0, 1},
            {R, G, B, 0x204060, 0x000000, R}, 0},
        {{5, 1, 4, 0, 40,
             {0x102030, 1, 2, 0x405060, 4, 5, 6, 0x708090, 8, 9, 10, 11, 0xA0B0C0, 13, 14, 15}},
            {0, 12, 3, 7, 0}, {0x102030, 0xA0B0C0, 0x405060, 0x708090, 0x102030}, 0},
        {{9, 1, 1, 0, 40, {N, Y}}, {1, 0, 1, 1, 0, 0, 1, 0, 1}, {Y, N, Y, Y, N, N, Y, N, Y}, 0},
        {{4, 2, 16, 3, 40, {}, {0xF800, 0x07E0, 0x001F}},
            {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF81F, 0x07FF, 0xFFE0},
            {R, G, B, W, 0x000000, 0xFF00FF, 0x00FFFF, Y}, 7},
        {{3, 1, 16}, {0x7C00, 0x03E0, 0x4211}, {R, G, 0x84848C}, 7},
        {{2, 1, 16, 3, 108, {}, {0xF800, 0x07E0, 0x001F}}, {0x07E0, 0x8410}, {G, 0x848284}, 7},
        {{2, 1, 32, 3, 40, {}, {0xFF, 0xFF00, 0xFF0000}}, {0xFF, 0x563412}, {R, 0x123456}, 0},
        {{2, 1, 32, 3, 40, {}, {0xFF0000, 0xFF00, 0}}, {0xFFFFFF, 0x123456}, {Y, 0x123400}, 0},
        {{4, 4}, blocks, primaries, 0, 2, 2},
        {{4, 4}, blocks, {R, R, G, G, B, B, 0x123456, 0x123456}, 0, 0, 2},
        {{4, 4}, blocks, {R, G, R, G, B, 0x123456, B, 0x123456}, 0, 2, 0},
    };
    bmptest::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(
            testing::Message() << c.shape.bitCount << " bits at " << c.cx << " x " << c.cy);
        const std::string path = folder.Write("picture.bmp", BuildBmp(c.shape, c.raw, true));
        HBITMAP bitmap = LoadFile(path, c.cx, c.cy);
        ASSERT_NE(bitmap, nullptr);
        const std::vector<uint32_t> pixels = TakePixels(
            bitmap, c.cx ? c.cx : c.shape.width, c.cy ? c.cy : c.shape.height, c.shape.bitCount);
        ASSERT_EQ(pixels.size(), c.expected.size());
        for (size_t i = 0; i < pixels.size(); ++i)
            for (int shift : {16, 8, 0})
                EXPECT_LE(std::abs(static_cast<int>((pixels[i] >> shift) & 0xFF)
                              - static_cast<int>((c.expected[i] >> shift) & 0xFF)),
                    c.tolerance)
                    << "pixel " << i << std::hex << ": " << pixels[i] << " for " << c.expected[i];
    }
}

// Run-length files against their uncompressed twins, pixel for pixel: each
// row gives the codes and the palette indices (top row first) the platform
// decodes from them. Entry 0 is not black, so pixels no code reaches show.
TEST(LoadImage, DecodesRunLengthFilesAsTheirUncompressedTwins)
{
    std::vector<uint32_t> table;
    for (uint32_t i = 0; i < 16; ++i)
        table.push_back(0x102030 + i * 0x0E0C0A);
    const bmptest::BmpShape at8{4, 3, 8, 0, 40, table};
    // The twin's shape (4 bits: 4-bit codes, else 8-bit), the codes, the
    // indices, and the header's image size (-1: the codes' own size).
    const std::tuple<bmptest::BmpShape, std::vector<uint8_t>, std::string, int64_t> cases[] = {
        // Runs past the row end, deltas past the last column and row: clipped.
        {at8, {6, 1, 2, 2, 0, 0, 0, 6, 4, 5, 6, 7, 8, 9, 0, 1}, "0000 4567 1111", -1},
        {at8, {1, 1, 0, 2, 9, 0, 1, 2, 0, 0, 1, 3, 0, 2, 0, 9, 4, 4, 0, 1}, "0000 3000 1000", -1},
        {at8, {2, 1, 0, 4, 5, 6}, "0000 0000 0000", -1},  // an absolute run cut short
        {at8, {2, 1, 0, 2, 1}, "0000 0000 1100", -1},  // a delta cut short
        // The line the data or the image size cuts short is dropped.
        {at8, {4, 1, 0, 0, 2, 2, 0, 2, 1, 0, 1, 3, 0, 0, 4, 4, 0, 1}, "0000 2203 1111", 16},
        {at8, {4, 1, 0, 1}, "0000 0000 0000", 0},
        {at8, {4, 1, 0, 0, 0, 4, 5, 6}, "0000 5600 1111", 1000},  // zeros after the file
        {{4, -3, 8, 0, 40, table}, {4, 1, 0, 1}, "0000 0000 0000", -1},  // top-down
        {{4, 3, 24, 0, 40, table}, {4, 1, 0, 1}, "0000 0000 0000", -1},  // at 24 bits
        {{7, 3, 4, 0, 40, table},
            {9, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 2, 0x89, 0, 0, 1, 0x10, 0, 2, 1, 0, 3, 0x23,
                0, 0, 2, 0x55, 0, 1},
            "1023200 3456789 1212121", -1},
        // Every code; also the test program's resource RUN_LENGTH.
        {at8, {4, 1, 0, 0, 0, 3, 5, 6, 7, 0, 1, 2, 0, 0, 1, 3, 0, 2, 2, 0, 1, 4, 0, 1},
            "3004 5672 1111", -1},
    };
    bmptest::TempFolder folder;
    std::vector<uint32_t> expected;
    for (const auto& [twin, codes, digits, imageSize] : cases) {
        SCOPED_TRACE(digits);
        std::vector<uint32_t> indices;
        for (char digit : digits)
            if (digit != ' ')
                indices.push_back(digit - '0');
        // The twin's headers and table, then the codes.
        const std::vector<uint8_t> twinFile = BuildBmp(twin, indices, true);
        std::vector<uint8_t> file(twinFile.begin(), twinFile.begin() + 14 + 40 + 4 * 16);
        file.insert(file.end(), codes.begin(), codes.end());
        bmptest::Put(file, 2, static_cast<uint32_t>(file.size()), 4);
        bmptest::Put(file, 30, twin.bitCount == 4 ? 2 : 1, 4);
        bmptest::Put(file, 34, static_cast<uint32_t>(imageSize < 0 ? codes.size() : imageSize), 4);
        const int width = twin.width, height = std::abs(twin.height);
        expected = TakePixels(
            LoadFile(folder.Write("twin.bmp", twinFile)), width, height, twin.bitCount);
        EXPECT_EQ(TakePixels(LoadFile(folder.Write("rle.bmp", file)), width, height, twin.bitCount),
            expected);
    }
    EXPECT_EQ(TakePixels(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "RUN_LENGTH",
                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)),
                  4, 3, 8),
        expected);
}

}  // namespace
