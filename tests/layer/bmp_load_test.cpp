// The layer's BMP reader: the pixels of layouts that the shared LoadImage
// checks do not reach (the fuzz corpus's replay shows what is refused).
#include "platform/layer/gdi/bmp_reader.h"
#include "tests/layer/layer_fixture.h"
#include "tests/support/bmp_bytes.h"

#include <vector>

namespace layertest {
namespace {

using bmptest::BmpShape;
using bmptest::BuildBmp;

// A core header's 3-byte table entries; plain 16-bit pixels as 5-5-5; masks
// inside a longer header; red in the low byte, placed by the masks.
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

}  // namespace
}  // namespace layertest
