// GetPixel and SetPixel on surface memory (5-6-5) and on bitmaps (8-8-8).
#include "layer/gdi_test_support.h"

#include <climits>

namespace {

using gditest::GdiTest;
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
    EXPECT_EQ(surface.at(1, 3), 0);
    EXPECT_EQ(surface.at(2, 2), 0);
    EXPECT_TRUE(surface.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Colors, SurfacePixelTest,
    testing::Values(SurfaceColor{"Red", RGB(255, 0, 0), 0xF800, RGB(255, 0, 0)},
        SurfaceColor{"Green", RGB(0, 255, 0), 0x07E0, RGB(0, 255, 0)},
        SurfaceColor{"Blue", RGB(0, 0, 255), 0x001F, RGB(0, 0, 255)},
        SurfaceColor{"White", RGB(255, 255, 255), 0xFFFF, RGB(255, 255, 255)},
        SurfaceColor{"Black", RGB(0, 0, 0), 0x0000, RGB(0, 0, 0)},
        // Truncated: 0x12>>3 = 2, 0x34>>2 = 13, 0x56>>3 = 10; then
        // widened by repeating the top bits.
        SurfaceColor{"Mixed", RGB(0x12, 0x34, 0x56), 0x11AA, RGB(16, 52, 82)},
        // Just below a step: the low bits are dropped, not rounded.
        SurfaceColor{"BelowStep", RGB(7, 3, 7), 0x0000, RGB(0, 0, 0)},
        // The high byte of a COLORREF is not colour.
        SurfaceColor{"HighByteIgnored", 0x0A0000FFu, 0xF800, RGB(255, 0, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, SurfacePixelsFollowThePitch)
{
    SurfaceMemory surface(3, 3);
    SetPixel(surface.dc(), 0, 1, RGB(255, 255, 255));
    SetPixel(surface.dc(), 2, 2, RGB(0, 0, 255));
    EXPECT_EQ(surface.at(0, 1), 0xFFFF);
    EXPECT_EQ(surface.at(2, 2), 0x001F);
    surface.at(1, 0) = 0x07E0;
    EXPECT_EQ(GetPixel(surface.dc(), 1, 0), RGB(0, 255, 0));
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_F(GdiTest, BitmapPixelsKeepAllEightBits)
{
    gditest::MemoryCanvas canvas(2, 2, {0, 0, 0, 0});
    for (COLORREF color : {RGB(0x12, 0x34, 0x56), RGB(1, 2, 3), RGB(255, 0, 128)}) {
        EXPECT_EQ(SetPixel(canvas.dc, 1, 0, color), color);
        EXPECT_EQ(GetPixel(canvas.dc, 1, 0), color);
    }
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), RGB(0, 0, 0));
    canvas.Release();
}

TEST_F(GdiTest, DefaultMonochromeBitmapHoldsOnlyBlackOrWhite)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(200, 210, 220)), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(120, 0, 0)), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), CLR_INVALID);
    DeleteDC(dc);
}

struct Outside {
    const char* name;
    int x, y;
};

class OutsidePixelTest : public GdiTest, public testing::WithParamInterface<Outside> { };

TEST_P(OutsidePixelTest, AnswersInvalidAndWritesNothing)
{
    const Outside& c = GetParam();
    SurfaceMemory surface(4, 3, 0x1234);
    EXPECT_EQ(GetPixel(surface.dc(), c.x, c.y), CLR_INVALID);
    EXPECT_EQ(SetPixel(surface.dc(), c.x, c.y, RGB(255, 255, 255)), static_cast<COLORREF>(-1));
    gditest::MemoryCanvas canvas(4, 3, std::vector<COLORREF>(12, RGB(1, 1, 1)));
    EXPECT_EQ(GetPixel(canvas.dc, c.x, c.y), CLR_INVALID);
    EXPECT_EQ(SetPixel(canvas.dc, c.x, c.y, RGB(255, 255, 255)), static_cast<COLORREF>(-1));

    EXPECT_TRUE(surface.GuardsIntact());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(surface.at(x, y), 0x1234);
            EXPECT_EQ(GetPixel(canvas.dc, x, y), RGB(1, 1, 1));
        }
    canvas.Release();
}

INSTANTIATE_TEST_SUITE_P(Positions, OutsidePixelTest,
    testing::Values(Outside{"LeftOfFirstColumn", -1, 0}, Outside{"AboveFirstRow", 0, -1},
        Outside{"PastLastColumn", 4, 0}, Outside{"PastLastRow", 0, 3},
        Outside{"FarNegative", INT_MIN, INT_MIN}, Outside{"FarPositive", INT_MAX, INT_MAX}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
