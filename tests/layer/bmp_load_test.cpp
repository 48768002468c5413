// The layer's BMP reader and LoadImageA on top of it: the pixels of layouts
// that the shared LoadImage checks do not reach (the fuzz corpus's replay
// shows what is refused), and the call's refusals, which leave no object.
#include "platform/layer/gdi/bmp_reader.h"
#include "tests/layer/layer_fixture.h"
#include "tests/support/bmp_bytes.h"

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
