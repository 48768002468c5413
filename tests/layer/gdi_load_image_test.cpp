// LoadImageA on the layer: the exact nearest-neighbour scaling the layer
// promises (the platform may smooth when it enlarges), top-down pictures,
// resources by name and number, and every refusal leaving no object behind.
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

std::vector<uint32_t> ReadAll(HBITMAP bitmap, int* width, int* height)
{
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
    return pixels;
}

struct ScaleCase {
    const char* name;
    int cx, cy;
    std::vector<int> columns;  // source column of each column of the result
    std::vector<int> rows;
};

class ResourceScaleTest : public LoadImageLayerTest,
                          public testing::WithParamInterface<ScaleCase> { };

TEST_P(ResourceScaleTest, PicksTheNearestSourcePixel)
{
    const ScaleCase& c = GetParam();
    const std::vector<uint32_t> source = Numbered(3, 2);
    layer::test::RegisterResource(
        "PICTURE", RT_BITMAP, BuildBmp({3, 2, 24, 0, 40, {}, {}, -1}, source, false));
    auto bitmap = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), "picture", IMAGE_BITMAP, c.cx, c.cy, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = ReadAll(bitmap, &width, &height);
    ASSERT_EQ(width, static_cast<int>(c.columns.size()));
    ASSERT_EQ(height, static_cast<int>(c.rows.size()));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(pixels[y * width + x], source[c.rows[y] * 3 + c.columns[x]]) << x << "," << y;
    EXPECT_TRUE(DeleteObject(bitmap));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResourceScaleTest,
    testing::Values(ScaleCase{"OwnSize", 0, 0, {0, 1, 2}, {0, 1}},
        ScaleCase{"Doubled", 6, 4, {0, 0, 1, 1, 2, 2}, {0, 0, 1, 1}},
        ScaleCase{"ThreeToFive", 5, 3, {0, 0, 1, 1, 2}, {0, 0, 1}},
        ScaleCase{"Shrunk", 2, 1, {0, 1}, {0}},
        ScaleCase{"WidthOnly", 6, 0, {0, 0, 1, 1, 2, 2}, {0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadImageLayerTest, TopDownPicturesKeepTheirFirstRowOnTop)
{
    const std::vector<uint32_t> source = Numbered(2, 3);
    const bmptest::BmpSpec spec{2, -3, 24, 0, 40, {}, {}, -1};
    testbmp::TempFolder folder;
    const std::string path = folder.Write("top_down.bmp", BuildBmp(spec, source, true));
    layer::test::RegisterResource("TOPDOWN", RT_BITMAP, BuildBmp(spec, source, false));

    HANDLE fromFile = LoadImageA(
        nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    HANDLE fromResource = LoadImageA(GetModuleHandleA(nullptr), "TOPDOWN", IMAGE_BITMAP, 0, 0, 0);
    for (HANDLE handle : {fromFile, fromResource}) {
        ASSERT_NE(handle, nullptr);
        int width = 0, height = 0;
        EXPECT_EQ(ReadAll(static_cast<HBITMAP>(handle), &width, &height), source);
        EXPECT_EQ(height, 3);
        EXPECT_TRUE(DeleteObject(handle));
    }
}

TEST_F(LoadImageLayerTest, ResourceByNumber)
{
    layer::test::RegisterResource(
        MAKEINTRESOURCEA(7), RT_BITMAP, BuildBmp({1, 1, 24, 0, 40, {}, {}, -1}, {0x123456}, false));
    auto bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    int width = 0, height = 0;
    EXPECT_EQ(ReadAll(bitmap, &width, &height), std::vector<uint32_t>{0x123456});
    EXPECT_TRUE(DeleteObject(bitmap));
}

struct Refusal {
    const char* name;
    bool useModule;
    const char* resourceName;  // or a file path with LR_LOADFROMFILE
    UINT type;
    int cx, cy;
    UINT flags;
};

class LoadImageRefusalTest : public LoadImageLayerTest,
                             public testing::WithParamInterface<Refusal> { };

TEST_P(LoadImageRefusalTest, GivesNullAndLeavesNothing)
{
    const Refusal& c = GetParam();
    layer::test::RegisterResource(
        "GOOD", RT_BITMAP, BuildBmp({2, 2, 24, 0, 40, {}, {}, -1}, {1, 2, 3, 4}, false));
    std::vector<uint8_t> cut = BuildBmp({2, 2, 24, 0, 40, {}, {}, -1}, {1, 2, 3, 4}, false);
    cut.resize(cut.size() - 1);
    layer::test::RegisterResource("CUT", RT_BITMAP, cut);
    layer::test::RegisterResource("RLE", RT_BITMAP, [] {
        auto b = BuildBmp({2, 2, 8, 0, 40, {0, 0xFFFFFF}, {}, -1}, {0, 1, 1, 0}, false);
        b[16] = 1;  // BI_RLE8
        return b;
    }());
    HINSTANCE module = c.useModule ? GetModuleHandleA(nullptr) : nullptr;
    EXPECT_EQ(LoadImageA(module, c.resourceName, c.type, c.cx, c.cy, c.flags), nullptr);
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Requests, LoadImageRefusalTest,
    testing::Values(Refusal{"Icon", true, "GOOD", 1, 0, 0, 0},
        Refusal{"Cursor", true, "GOOD", 2, 0, 0, 0},
        Refusal{"UnhonouredFlag", true, "GOOD", IMAGE_BITMAP, 0, 0, 0x1000},
        Refusal{"NegativeWidth", true, "GOOD", IMAGE_BITMAP, -2, 0, 0},
        Refusal{"NegativeHeight", true, "GOOD", IMAGE_BITMAP, 0, -2, 0},
        Refusal{"AboveTheSizeCap", true, "GOOD", IMAGE_BITMAP, 20000, 20000, 0},
        Refusal{"NullName", true, nullptr, IMAGE_BITMAP, 0, 0, 0},
        Refusal{"NoModuleForAResource", false, "GOOD", IMAGE_BITMAP, 0, 0, 0},
        Refusal{"MissingResource", true, "ABSENT", IMAGE_BITMAP, 0, 0, 0},
        Refusal{"TruncatedResource", true, "CUT", IMAGE_BITMAP, 0, 0, 0},
        Refusal{"CompressedResource", true, "RLE", IMAGE_BITMAP, 0, 0, 0},
        Refusal{
            "NumberAsFileName", false, MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        Refusal{"EmptyFileName", false, "", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        Refusal{"DirectoryAsFile", false, "/", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        // With LR_LOADFROMFILE the name is a path, not a resource.
        Refusal{"ResourceNameAsFile", true, "GOOD", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadImageLayerTest, FailedCallMakesNoBitmap)
{
    layer::test::RegisterResource(
        "GOOD", RT_BITMAP, BuildBmp({1, 1, 24, 0, 40, {}, {}, -1}, {1}, false));
    layer::test::FailCall("LoadImageA");
    EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "GOOD", IMAGE_BITMAP, 0, 0, 0), nullptr);
    HANDLE second = LoadImageA(GetModuleHandleA(nullptr), "GOOD", IMAGE_BITMAP, 0, 0, 0);
    EXPECT_NE(second, nullptr);
    DeleteObject(second);
}

}  // namespace
