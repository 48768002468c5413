// LoadImageA on the layer: the exact nearest-neighbour scaling the layer
// promises (the platform may smooth when it enlarges), top-down pictures, and
// every refusal leaving no object behind.
#include "layer/gdi_test_support.h"
#include "support/bitmap_files.h"
#include "support/bmp_bytes.h"

#include <string>
#include <vector>

namespace {

using bmptest::BuildBmp;

class LoadImageLayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        layer::test::ResetLayer();
    }
    void TearDown() override
    {
        EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
        layer::test::ResetLayer();
    }
};

// Every pixel different: red carries the column, green the row.
std::vector<uint32_t> Numbered(int width, int height)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(static_cast<uint32_t>((0x20 * (x + 1)) << 16 | (0x30 * (y + 1)) << 8));
    return pixels;
}

// The bitmap's pixels through a memory DC, top row first; deletes the bitmap.
std::vector<uint32_t> TakePixels(HANDLE image, int* width, int* height)
{
    auto bitmap = static_cast<HBITMAP>(image);
    BITMAP record{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    *width = record.bmWidth;
    *height = record.bmHeight;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(dc, bitmap);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < record.bmHeight; ++y)
        for (int x = 0; x < record.bmWidth; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            pixels.push_back(
                uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c));
        }
    SelectObject(dc, original);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(bitmap));
    return pixels;
}

TEST_F(LoadImageLayerTest, ResourceIsScaledToTheNearestSourcePixel)
{
    const std::vector<uint32_t> source = Numbered(3, 2);
    layer::test::RegisterResource(
        "PICTURE", RT_BITMAP, BuildBmp({3, 2, 24, 0, 40, {}, {}, -1}, source, false));
    struct Request {
        int cx, cy;
        std::vector<int> columns, rows;  // source column and row of each result pixel
    };
    const Request requests[] = {
        {0, 0, {0, 1, 2}, {0, 1}},
        {6, 4, {0, 0, 1, 1, 2, 2}, {0, 0, 1, 1}},
        {5, 3, {0, 0, 1, 1, 2}, {0, 0, 1}},
        {2, 1, {0, 1}, {0}},
        {6, 0, {0, 0, 1, 1, 2, 2}, {0, 1}},
    };
    for (const Request& r : requests) {
        HANDLE image = LoadImageA(
            GetModuleHandleA(nullptr), "picture", IMAGE_BITMAP, r.cx, r.cy, LR_CREATEDIBSECTION);
        ASSERT_NE(image, nullptr);
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = TakePixels(image, &width, &height);
        ASSERT_EQ(width, static_cast<int>(r.columns.size()));
        ASSERT_EQ(height, static_cast<int>(r.rows.size()));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(pixels[y * width + x], source[r.rows[y] * 3 + r.columns[x]])
                    << r.cx << " x " << r.cy << " at " << x << "," << y;
    }
}

TEST_F(LoadImageLayerTest, TopDownPicturesKeepTheirFirstRowOnTop)
{
    const std::vector<uint32_t> source = Numbered(2, 3);
    const bmptest::BmpShape shape{2, -3, 24, 0, 40, {}, {}, -1};
    testbmp::TempFolder folder;
    const std::string path = folder.Write("top_down.bmp", BuildBmp(shape, source, true));
    layer::test::RegisterResource(MAKEINTRESOURCEA(7), RT_BITMAP, BuildBmp(shape, source, false));
    for (HANDLE image : {LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                             LR_LOADFROMFILE | LR_CREATEDIBSECTION),
             LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, 0)}) {
        ASSERT_NE(image, nullptr);
        int width = 0, height = 0;
        EXPECT_EQ(TakePixels(image, &width, &height), source);
    }
}

TEST_F(LoadImageLayerTest, RefusalsGiveNullAndLeaveNothing)
{
    const bmptest::BmpShape shape{2, 2, 24, 0, 40, {}, {}, -1};
    layer::test::RegisterResource("GOOD", RT_BITMAP, BuildBmp(shape, {1, 2, 3, 4}, false));
    std::vector<uint8_t> cut = BuildBmp(shape, {1, 2, 3, 4}, false);
    cut.pop_back();
    layer::test::RegisterResource("CUT", RT_BITMAP, cut);
    std::vector<uint8_t> rle
        = BuildBmp({2, 2, 8, 0, 40, {0, 0xFFFFFF}, {}, -1}, {0, 1, 1, 0}, false);
    rle[16] = 1;  // BI_RLE8
    layer::test::RegisterResource("RLE", RT_BITMAP, rle);

    struct Request {
        const char* why;
        bool module;
        const char* name;  // a resource, or a path with LR_LOADFROMFILE
        UINT type;
        int cx, cy;
        UINT flags;
    };
    const Request requests[] = {
        {"icon", true, "GOOD", 1, 0, 0, 0},
        {"cursor", true, "GOOD", 2, 0, 0, 0},
        {"flag not honoured", true, "GOOD", IMAGE_BITMAP, 0, 0, 0x1000},
        {"negative width", true, "GOOD", IMAGE_BITMAP, -2, 0, 0},
        {"negative height", true, "GOOD", IMAGE_BITMAP, 0, -2, 0},
        {"above the size cap", true, "GOOD", IMAGE_BITMAP, 20000, 20000, 0},
        {"no name", true, nullptr, IMAGE_BITMAP, 0, 0, 0},
        {"resource without a module", false, "GOOD", IMAGE_BITMAP, 0, 0, 0},
        {"missing resource", true, "ABSENT", IMAGE_BITMAP, 0, 0, 0},
        {"truncated resource", true, "CUT", IMAGE_BITMAP, 0, 0, 0},
        {"compressed resource", true, "RLE", IMAGE_BITMAP, 0, 0, 0},
        {"number as a path", false, MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        {"empty path", false, "", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        {"directory", false, "/", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        {"resource name as a path", true, "GOOD", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
    };
    for (const Request& r : requests) {
        HINSTANCE module = r.module ? GetModuleHandleA(nullptr) : nullptr;
        EXPECT_EQ(LoadImageA(module, r.name, r.type, r.cx, r.cy, r.flags), nullptr) << r.why;
        EXPECT_EQ(layer::LiveGdiObjectCount(), 0) << r.why;
    }
}

}  // namespace
