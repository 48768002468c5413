// GetPixel and SetPixel on surface memory (5-6-5) and on bitmaps (8-8-8).
#include "layer/gdi_test_support.h"

#include <climits>

namespace {

using gditest::GdiTest;
using gditest::MemoryCanvas;
using gditest::SurfaceMemory;

struct SurfaceColor {
    const char* name;
    COLORREF written;
    uint16_t stored;  // the 5-6-5 word in surface memory
    COLORREF readBack;  // what SetPixel reports and GetPixel reads
};

class SurfacePixelTest : public GdiTest, public testing::WithParamInterface<SurfaceColor> { };

TEST_P(SurfacePixelTest, ConvertsTo565AndBack)
{
    const SurfaceColor& c = GetParam();
    SurfaceMemory surface(5, 4);
    EXPECT_EQ(SetPixel(surface.dc(), 2, 3, c.written), c.readBack);
    EXPECT_EQ(surface.at(2, 3), c.stored);
    EXPECT_EQ(GetPixel(surface.dc(), 2, 3), c.readBack);
    EXPECT_EQ(surface.at(1, 3) | surface.at(2, 2), 0);
    EXPECT_TRUE(surface.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Colors, SurfacePixelTest,
    testing::Values(SurfaceColor{"Red", RGB(255, 0, 0), 0xF800, RGB(255, 0, 0)},
        SurfaceColor{"Green", RGB(0, 255, 0), 0x07E0, RGB(0, 255, 0)},
        SurfaceColor{"Blue", RGB(0, 0, 255), 0x001F, RGB(0, 0, 255)},
        // 0x12>>3 = 2, 0x34>>2 = 13, 0x56>>3 = 10, then widened by
        // repeating the top bits.
        SurfaceColor{"Mixed", RGB(0x12, 0x34, 0x56), 0x11AA, RGB(16, 52, 82)},
        // Just below a step: the low bits are dropped, not rounded.
        SurfaceColor{"BelowStep", RGB(7, 3, 7), 0x0000, RGB(0, 0, 0)},
        // The high byte of a COLORREF is not colour.
        SurfaceColor{"HighByteIgnored", 0x0A0000FFu, 0xF800, RGB(255, 0, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, PixelsFollowThePitchAndBitmapsKeepEightBits)
{
    SurfaceMemory surface(3, 3);
    SetPixel(surface.dc(), 0, 1, RGB(255, 255, 255));
    EXPECT_EQ(surface.at(0, 1), 0xFFFF);
    surface.at(2, 2) = 0x07E0;
    EXPECT_EQ(GetPixel(surface.dc(), 2, 2), RGB(0, 255, 0));
    EXPECT_TRUE(surface.GuardsIntact());

    MemoryCanvas canvas(2, 2, {0, 0, 0, 0});
    EXPECT_EQ(SetPixel(canvas.dc, 1, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(canvas.dc, 1, 0), RGB(1, 2, 3));
    canvas.Release();

    // The default monochrome bitmap holds the nearer of black and white.
    HDC mono = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetPixel(mono, 0, 0, RGB(200, 210, 220)), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mono, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(mono, 0, 0, RGB(120, 0, 0)), RGB(0, 0, 0));
    DeleteDC(mono);
}

TEST_F(GdiTest, OutsideThePixelsAnswersInvalidAndWritesNothing)
{
    SurfaceMemory surface(4, 3, 0x1234);
    MemoryCanvas canvas(4, 3, std::vector<COLORREF>(12, RGB(1, 1, 1)));
    const int outside[][2]
        = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}};
    for (const auto& p : outside)
        for (HDC dc : {surface.dc(), canvas.dc}) {
            EXPECT_EQ(GetPixel(dc, p[0], p[1]), CLR_INVALID);
            EXPECT_EQ(SetPixel(dc, p[0], p[1], RGB(255, 255, 255)), static_cast<COLORREF>(-1));
        }
    EXPECT_TRUE(surface.GuardsIntact());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(surface.at(x, y), 0x1234);
            EXPECT_EQ(GetPixel(canvas.dc, x, y), RGB(1, 1, 1));
        }
    canvas.Release();
}

}  // namespace
