// The layer's one BMP reader and LoadImageA on top of it: what it decodes,
// what it refuses without reading past the bytes it is given, the exact
// nearest-neighbour scaling the layer promises, and refusals that leave no
// object behind.
#include "layer/gdi_test_support.h"
#include "platform/layer/gdi/bmp_reader.h"
#include "support/bmp_bytes.h"

#include <string>
#include <vector>

namespace {

using bmptest::BmpShape;
using bmptest::BuildBmp;
using layer::BmpContainer;
using layer::DecodeBmp;

TEST(BmpReader, DecodesEveryFormatFromAFileAndFromAResource)
{
    const std::vector<uint32_t> two = {0x112233, 0xAABBCC};
    std::vector<uint32_t> coreTable = {0x0000FF, 0x00FF00, 0xFF0000};
    coreTable.resize(256);  // a core header's table always has 2^bits entries
    struct Case {
        const char* name;
        BmpShape shape;
        std::vector<uint32_t> raw, expected;  // stored values and 0x00RRGGBB, top row first
    };
    const Case cases[] = {// 10 columns cross a byte boundary and leave padding in the row.
        {"1 bit", {10, 1, 1, 0, 40, two}, {1, 0, 0, 1, 1, 0, 1, 0, 0, 1},
            {two[1], two[0], two[0], two[1], two[1], two[0], two[1], two[0], two[0], two[1]}},
        // An index past a short table reads as black.
        {"4 bits, short table", {3, 2, 4, 0, 40, {0xFF0000, 0x00FF00, 0x0000FF}},
            {2, 0, 5, 1, 1, 2}, {0x0000FF, 0xFF0000, 0x000000, 0x00FF00, 0x00FF00, 0x0000FF}},
        {"8 bits, core header", {2, 2, 8, 0, 12, coreTable}, {0, 1, 2, 0},
            {0x0000FF, 0x00FF00, 0xFF0000, 0x0000FF}},
        // Plain 16-bit pixels are 5-5-5; five bits widen by repeating.
        {"16 bits 5-5-5", {4, 1, 16}, {0x7C00, 0x03E0, 0x001F, 0x4210},
            {0xFF0000, 0x00FF00, 0x0000FF, 0x848484}},
        {"16 bits, masks in a 108-byte header", {2, 1, 16, 3, 108, {}, {0xF800, 0x07E0, 0x001F}},
            {0x07E0, 0x8410}, {0x00FF00, 0x848284}},
        {"24 bits top-down, 124-byte header", {2, -2, 24, 0, 124},
            {0x102030, 0x405060, 0x708090, 0xA0B0C0}, {0x102030, 0x405060, 0x708090, 0xA0B0C0}},
        // Red in the low byte: the masks, not the byte order, place it.
        {"32 bits with masks", {2, 1, 32, 3, 40, {}, {0x000000FF, 0x0000FF00, 0x00FF0000}},
            {0x000000FF, 0x00563412}, {0xFF0000, 0x123456}}};
    for (const Case& c : cases)
        for (BmpContainer container : {BmpContainer::File, BmpContainer::PackedDib}) {
            SCOPED_TRACE(testing::Message()
                << c.name << (container == BmpContainer::File ? ", file" : ", resource"));
            const layer::BmpResult result
                = DecodeBmp(BuildBmp(c.shape, c.raw, container == BmpContainer::File), container);
            ASSERT_TRUE(result.image.has_value()) << result.failure;
            EXPECT_EQ(result.image->width, c.shape.width);
            EXPECT_EQ(result.image->height, std::abs(c.shape.height));
            EXPECT_EQ(result.image->pixels, c.expected);
        }

    // Byte by byte, independent of the builder: the first stored row is the
    // bottom of the picture and blue comes first.
    std::vector<uint8_t> file(14 + 40 + 16, 0);
    for (auto [at, value] : {std::pair<size_t, uint8_t>{0, 'B'}, {1, 'M'}, {2, 70}, {10, 54},
             {14, 40}, {18, 2}, {22, 2}, {26, 1}, {28, 24}, {34, 16}, {54, 0xFF}, {58, 0xFF},
             {64, 0xFF}, {65, 1}, {66, 2}, {67, 3}})
        file[at] = value;
    const layer::BmpResult a = DecodeBmp(file, BmpContainer::File);
    ASSERT_TRUE(a.image.has_value()) << a.failure;
    EXPECT_EQ(a.image->pixels, (std::vector<uint32_t>{0xFF0000, 0x030201, 0x0000FF, 0x00FF00}));
}

// An 8-bit 4 x 3 file with three colours, spoiled one way at a time: file
// header 0 to 13 (bfOffBits at 10), info header from 14.
TEST(BmpReader, RefusesWhatItCannotReadSafely)
{
    struct Patch {
        size_t at;
        int bytes;
        uint32_t value;
    };
    struct Spoil {
        const char* name;
        std::vector<Patch> patches;
    };
    const Spoil spoils[] = {{"wrong magic", {{0, 1, 'M'}}}, {"header size 0", {{14, 4, 0}}},
        {"header size 64", {{14, 4, 64}}}, {"header size huge", {{14, 4, 0xFFFFFFF0}}},
        {"width 0", {{18, 4, 0}}}, {"width negative", {{18, 4, static_cast<uint32_t>(-4)}}},
        {"height most negative", {{22, 4, 0x80000000u}}}, {"width above the cap", {{18, 4, 16385}}},
        {"pixels above the cap", {{18, 4, 16384}, {22, 4, 16384}}},
        // Row and image byte counts that overflow 32 and 64 bits.
        {"widest at 32 bits", {{18, 4, 0x7FFFFFFF}, {28, 2, 32}}},
        {"both sides widest", {{18, 4, 0x7FFFFFFF}, {22, 4, 0x7FFFFFFF}}},
        {"larger than the data", {{18, 4, 4000}, {22, 4, 4000}}}, {"2 planes", {{26, 2, 2}}},
        {"2 bits", {{28, 2, 2}}}, {"64 bits", {{28, 2, 64}}}, {"RLE8", {{30, 4, 1}}},
        {"RLE4", {{28, 2, 4}, {30, 4, 2}}}, {"PNG", {{30, 4, 5}}},
        {"masks on 8 bits", {{30, 4, 3}}}, {"colours used huge", {{46, 4, 0xFFFFFFFF}}},
        {"colours past the data", {{46, 4, 256}}}, {"pixels past the end", {{10, 4, 79}}},
        {"pixel offset huge", {{10, 4, 0xFFFFFFFF}}}, {"pixels in the table", {{10, 4, 58}}},
        {"too few pixel bytes", {{10, 4, 70}}}};
    const std::vector<uint8_t> good
        = BuildBmp({4, 3, 8, 0, 40, {1, 2, 3}}, std::vector<uint32_t>(12, 1), true);
    ASSERT_TRUE(DecodeBmp(good, BmpContainer::File).image.has_value());
    for (const Spoil& spoil : spoils) {
        std::vector<uint8_t> bytes = good;
        for (const Patch& p : spoil.patches)
            bmptest::Put(bytes, p.at, p.value, p.bytes);
        const layer::BmpResult result = DecodeBmp(bytes, BmpContainer::File);
        EXPECT_FALSE(result.image.has_value()) << spoil.name;
        EXPECT_NE(result.failure, nullptr) << spoil.name;
    }
    // Complete data that still cannot be read without guessing.
    for (const BmpShape& shape : {BmpShape{2, 1, 16, 3, 40, {}, {0xF0F0, 0x0F00, 0x000F}},  // gap
             BmpShape{2, 1, 16, 3, 40, {}, {0x1F0000, 0x07E0, 0x1F}},  // past 16 bits
             BmpShape{2, 1, 24, 3, 40, {}, {0xFF0000, 0xFF00, 0xFF}},  // masks on 24 bits
             BmpShape{2, 1, 1, 0, 40, {0x000000, 0xFFFFFF, 0xFF0000}}})  // 3 colours at 1 bit
        EXPECT_FALSE(
            DecodeBmp(BuildBmp(shape, {0, 0}, false), BmpContainer::PackedDib).image.has_value())
            << shape.bitCount << " bits";
}

// Cut short anywhere, in a header, the masks, the table or the pixels: the
// sanitizer build shows that nothing past the end is read.
TEST(BmpReader, RefusesEveryTruncation)
{
    struct Layout {
        BmpShape shape;
        BmpContainer container;
    };
    for (const Layout& l : {Layout{{3, 2, 8, 0, 40, {1, 2, 3}}, BmpContainer::File},
             Layout{{3, 2, 16, 3, 40, {}, {0xF800, 0x7E0, 0x1F}}, BmpContainer::File},
             Layout{{3, -2, 24, 0, 124}, BmpContainer::PackedDib},
             Layout{{5, 2, 4, 0, 12, std::vector<uint32_t>(16, 7)}, BmpContainer::PackedDib}}) {
        const auto bytes
            = BuildBmp(l.shape, std::vector<uint32_t>(10, 1), l.container == BmpContainer::File);
        ASSERT_TRUE(DecodeBmp(bytes, l.container).image.has_value());
        for (size_t length = 0; length < bytes.size(); ++length)
            EXPECT_FALSE(
                DecodeBmp(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), l.container)
                    .image.has_value())
                << l.shape.bitCount << " bits cut to " << length;
    }
}

class LoadImageOnTheLayer : public testing::Test {
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
    return bmptest::PixelsOf(width, height, [](int x, int y) {
        return static_cast<uint32_t>((0x20 * (x + 1)) << 16 | (0x30 * (y + 1)) << 8);
    });
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

TEST_F(LoadImageOnTheLayer, ScalesToTheNearestSourcePixelAndKeepsTopDownRowsOnTop)
{
    const std::vector<uint32_t> source = Numbered(3, 2);
    layer::test::RegisterResource("PICTURE", RT_BITMAP, BuildBmp({3, 2}, source, false));
    struct Request {
        int cx, cy;
        std::vector<int> columns, rows;  // source column and row of each result pixel
    };
    for (const Request& r : {Request{0, 0, {0, 1, 2}, {0, 1}},
             {6, 4, {0, 0, 1, 1, 2, 2}, {0, 0, 1, 1}}, {5, 3, {0, 0, 1, 1, 2}, {0, 0, 1}},
             {2, 1, {0, 1}, {0}}, {6, 0, {0, 0, 1, 1, 2, 2}, {0, 1}}}) {
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

    const BmpShape topDown{2, -3};
    bmptest::TempFolder folder;
    const std::string path = folder.Write("top_down.bmp", BuildBmp(topDown, Numbered(2, 3), true));
    layer::test::RegisterResource(
        MAKEINTRESOURCEA(7), RT_BITMAP, BuildBmp(topDown, Numbered(2, 3), false));
    for (HANDLE image : {LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                             LR_LOADFROMFILE | LR_CREATEDIBSECTION),
             LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, 0)}) {
        ASSERT_NE(image, nullptr);
        int width = 0, height = 0;
        EXPECT_EQ(TakePixels(image, &width, &height), Numbered(2, 3));
    }
}

TEST_F(LoadImageOnTheLayer, RefusalsGiveNullAndLeaveNothing)
{
    std::vector<uint8_t> good = BuildBmp({2, 2}, {1, 2, 3, 4}, false);
    layer::test::RegisterResource("GOOD", RT_BITMAP, good);
    good.pop_back();
    layer::test::RegisterResource("CUT", RT_BITMAP, good);
    std::vector<uint8_t> rle = BuildBmp({2, 2, 8, 0, 40, {0, 0xFFFFFF}}, {0, 1, 1, 0}, false);
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
    const Request requests[] = {{"icon", true, "GOOD", 1, 0, 0, 0},
        {"flag not honoured", true, "GOOD", IMAGE_BITMAP, 0, 0, 0x1000},
        {"negative width", true, "GOOD", IMAGE_BITMAP, -2, 0, 0},
        {"above the size cap", true, "GOOD", IMAGE_BITMAP, 20000, 20000, 0},
        {"no name", true, nullptr, IMAGE_BITMAP, 0, 0, 0},
        {"resource without a module", false, "GOOD", IMAGE_BITMAP, 0, 0, 0},
        {"missing resource", true, "ABSENT", IMAGE_BITMAP, 0, 0, 0},
        {"truncated resource", true, "CUT", IMAGE_BITMAP, 0, 0, 0},
        {"compressed resource", true, "RLE", IMAGE_BITMAP, 0, 0, 0},
        {"number as a path", false, MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        {"directory", false, "/", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
        {"resource name as a path", true, "GOOD", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE}};
    for (const Request& r : requests) {
        EXPECT_EQ(LoadImageA(r.module ? GetModuleHandleA(nullptr) : nullptr, r.name, r.type, r.cx,
                      r.cy, r.flags),
            nullptr)
            << r.why;
        EXPECT_EQ(layer::LiveGdiObjectCount(), 0) << r.why;
    }
}

}  // namespace
