// The layer's BMP reader and LoadImageA on top of it: the pixels of layouts
// that the shared LoadImage checks do not reach (the fuzz corpus's replay
// shows what is refused), exact nearest-neighbour scaling, and the call's
// refusals, which leave no object behind.
#include "layer/layer_fixture.h"
#include "platform/layer/bmp_reader.h"
#include "support/bmp_bytes.h"

#include <string>
#include <vector>

namespace layertest {
namespace {

using bmptest::BmpShape;
using bmptest::BuildBmp;

// A core header's table has 3-byte entries; plain 16-bit pixels are 5-5-5;
// masks sit inside a longer header; with red in the low byte the masks, not
// the byte order, place it.
TEST(BmpReader, DecodesEveryLayoutFromAFileAndFromAResource)
{
    std::vector<uint32_t> coreTable(256, 0x0000FF);
    coreTable[1] = 0x00FF00;
    struct Case {
        BmpShape shape;
        std::vector<uint32_t> raw, expected;  // stored values and 0x00RRGGBB, top row first
    };
    for (const Case& c : {Case{{2, 1, 8, 0, 12, coreTable}, {1, 0}, {0x00FF00, 0x0000FF}},
             {{3, 1, 16}, {0x7C00, 0x03E0, 0x4211}, {0xFF0000, 0x00FF00, 0x84848C}},
             {{2, 1, 16, 3, 108, {}, {0xF800, 0x07E0, 0x001F}}, {0x07E0, 0x8410},
                 {0x00FF00, 0x848284}},
             {{2, 1, 32, 3, 40, {}, {0xFF, 0xFF00, 0xFF0000}}, {0xFF, 0x563412},
                 {0xFF0000, 0x123456}}})
        for (bool file : {true, false}) {
            const layer::BmpResult result = layer::DecodeBmp(BuildBmp(c.shape, c.raw, file),
                file ? layer::BmpContainer::File : layer::BmpContainer::PackedDib);
            ASSERT_TRUE(result.image.has_value()) << result.failure;
            EXPECT_EQ(result.image->pixels, c.expected) << c.shape.headerSize << " " << file;
        }
}

class LoadImageOnTheLayer : public LayerTest {
protected:
    void TearDown() override
    {
        EXPECT_EQ(test::LiveGdiObjects(), 0);
        LayerTest::TearDown();
    }
};

// Each result pixel comes from source column x * width / cx and row
// y * height / cy, the picture's top row on top however it is stored.
TEST_F(LoadImageOnTheLayer, ScalesToTheNearestSourcePixelAndKeepsTopDownRowsOnTop)
{
    const std::vector<uint32_t> source = bmptest::PixelsOf(
        3, 2, [](int x, int y) { return static_cast<uint32_t>((x + 1) << 20 | (y + 1) << 12); });
    test::RegisterResource("PICTURE", RT_BITMAP, BuildBmp({3, 2}, source, false));
    test::RegisterResource(MAKEINTRESOURCEA(7), RT_BITMAP, BuildBmp({3, -2}, source, false));
    bmptest::TempFolder folder;
    const std::string path = folder.Write("top_down.bmp", BuildBmp({3, -2}, source, true));
    struct Request {
        LPCSTR name;
        int cx, cy;
        std::vector<int> columns, rows;  // source column and row of each result pixel
    };
    for (const Request& r : {Request{"picture", 0, 0, {0, 1, 2}, {0, 1}},
             {"PICTURE", 5, 4, {0, 0, 1, 1, 2}, {0, 0, 1, 1}}, {"PICTURE", 2, 1, {0, 1}, {0}},
             {"PICTURE", 6, 0, {0, 0, 1, 1, 2, 2}, {0, 1}},
             {MAKEINTRESOURCEA(7), 0, 0, {0, 1, 2}, {0, 1}},
             {path.c_str(), 0, 0, {0, 1, 2}, {0, 1}}}) {
        const bool fromFile = r.name == path.c_str();
        HANDLE image = LoadImageA(fromFile ? nullptr : GetModuleHandleA(nullptr), r.name,
            IMAGE_BITMAP, r.cx, r.cy, fromFile ? LR_LOADFROMFILE : 0);
        layer::gdi::Bitmap* bitmap = layer::gdi::FindBitmap(image);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(
            bitmap->width * bitmap->height, static_cast<int>(r.columns.size() * r.rows.size()));
        for (size_t i = 0; i < r.columns.size() * r.rows.size(); ++i) {
            const size_t x = i % r.columns.size(), y = i / r.columns.size();
            EXPECT_EQ(layer::gdi::ColorToXrgb(bitmap->GetCanvas().Read(x, y)),
                source[r.rows[y] * 3 + r.columns[x]])
                << r.cx << " x " << r.cy << " pixel " << x << "," << y;
        }
        EXPECT_TRUE(DeleteObject(image));
    }
}

// An icon, a flag not honoured, a negative size, one above the cap, no name,
// a resource without a module, a missing one; a number, a folder or a
// resource's name as a path.
TEST_F(LoadImageOnTheLayer, RefusalsGiveNullAndLeaveNothing)
{
    test::RegisterResource("GOOD", RT_BITMAP, BuildBmp({2, 2}, {1, 2, 3, 4}, false));
    struct Request {
        bool module;
        const char* name;
        UINT type;
        int cx, cy;
        UINT flags;
    };
    for (const Request& r : {Request{true, "GOOD", 1, 0, 0, 0},
             {true, "GOOD", IMAGE_BITMAP, 0, 0, 0x1000}, {true, "GOOD", IMAGE_BITMAP, -2, 0, 0},
             {true, "GOOD", IMAGE_BITMAP, 20000, 20000, 0}, {true, nullptr, IMAGE_BITMAP, 0, 0, 0},
             {false, "GOOD", IMAGE_BITMAP, 0, 0, 0}, {true, "ABSENT", IMAGE_BITMAP, 0, 0, 0},
             {false, MAKEINTRESOURCEA(7), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
             {false, "/", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE},
             {true, "GOOD", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE}})
        EXPECT_EQ(LoadImageA(r.module ? GetModuleHandleA(nullptr) : nullptr, r.name, r.type, r.cx,
                      r.cy, r.flags),
            nullptr)
            << (IS_INTRESOURCE(r.name) ? "a number" : r.name) << " " << r.cx << " " << r.flags;
}

}  // namespace
}  // namespace layertest
