// StretchBlt: nearest-neighbour scaling, clipping at both ends, and format
// conversion with every colour in its own channel.
#include "layer/gdi_test_support.h"

#include <climits>

namespace {

using gditest::GdiTest;
using gditest::MemoryCanvas;
using gditest::SurfaceMemory;

// Every pixel different: red carries the column, green the row.
std::vector<COLORREF> Numbered(int width, int height)
{
    std::vector<COLORREF> colors;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            colors.push_back(RGB(8 * (x + 1), 4 * (y + 1), 0x80));
    return colors;
}

uint16_t As565(COLORREF c)
{
    return static_cast<uint16_t>(
        ((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3));
}

struct ScaleCase {
    const char* name;
    int srcW, srcH;  // the source picture
    int xSrc, ySrc, wSrc, hSrc, wDest, hDest;
    std::vector<int> columns;  // source column of each destination column
    std::vector<int> rows;  // source row of each destination row
};

class ScaleTest : public GdiTest, public testing::WithParamInterface<ScaleCase> { };

TEST_P(ScaleTest, EachDestinationPixelComesFromItsNearestSource)
{
    const ScaleCase& c = GetParam();
    const std::vector<COLORREF> colors = Numbered(c.srcW, c.srcH);
    MemoryCanvas source(c.srcW, c.srcH, colors);
    SurfaceMemory dest(c.wDest, c.hDest, 0x0001);
    ASSERT_TRUE(StretchBlt(
        dest.dc(), 0, 0, c.wDest, c.hDest, source.dc, c.xSrc, c.ySrc, c.wSrc, c.hSrc, SRCCOPY));
    for (int j = 0; j < c.hDest; ++j)
        for (int i = 0; i < c.wDest; ++i)
            EXPECT_EQ(dest.at(i, j), As565(colors[c.rows[j] * c.srcW + c.columns[i]]))
                << "at " << i << "," << j;
    EXPECT_TRUE(dest.GuardsIntact());
    source.Release();
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaleTest,
    testing::Values(ScaleCase{"Identity", 3, 2, 0, 0, 3, 2, 3, 2, {0, 1, 2}, {0, 1}},
        ScaleCase{"Doubling", 2, 2, 0, 0, 2, 2, 4, 4, {0, 0, 1, 1}, {0, 0, 1, 1}},
        ScaleCase{"Halving", 4, 4, 0, 0, 4, 4, 2, 2, {0, 2}, {0, 2}},
        ScaleCase{"ThreeToFive", 3, 1, 0, 0, 3, 1, 5, 1, {0, 0, 1, 1, 2}, {0}},
        ScaleCase{"FiveToThree", 5, 1, 0, 0, 5, 1, 3, 1, {0, 1, 3}, {0}},
        ScaleCase{"SourceOffset", 4, 4, 1, 2, 2, 2, 4, 2, {1, 1, 2, 2}, {2, 3}},
        ScaleCase{"AxesApart", 4, 2, 0, 0, 4, 2, 2, 4, {0, 2}, {0, 0, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, EveryColourLandsInItsOwnChannelBothWays)
{
    MemoryCanvas bitmap(4, 1, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0xFF, 0xFF, 0)});
    SurfaceMemory surface(4, 1);
    ASSERT_TRUE(StretchBlt(surface.dc(), 0, 0, 4, 1, bitmap.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(surface.at(0, 0), 0xF800);
    EXPECT_EQ(surface.at(1, 0), 0x07E0);
    EXPECT_EQ(surface.at(2, 0), 0x001F);
    EXPECT_EQ(surface.at(3, 0), 0xFFE0);

    surface.at(2, 0) = 0x0010;  // half blue: 16 of 31
    ASSERT_TRUE(StretchBlt(bitmap.dc, 0, 0, 4, 1, surface.dc(), 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(bitmap.dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(bitmap.dc, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(bitmap.dc, 2, 0), RGB(0, 0, 132));
    bitmap.Release();
}

// Source pixels outside the bitmap are not read, and the destination keeps
// what it had there; destination pixels outside it are not written.
TEST_F(GdiTest, BothEndsAreClipped)
{
    const std::vector<COLORREF> colors = Numbered(4, 4);
    MemoryCanvas source(4, 4, colors);
    struct Placement {
        int xDest, yDest, xSrc, ySrc;
    };
    for (Placement p : {Placement{0, 0, 2, -1}, Placement{-2, -1, 0, 0}, Placement{3, 2, 0, 0},
             Placement{-10, 0, 0, 0}, Placement{1, 1, -1, 3}}) {
        SurfaceMemory dest(5, 4, 0x0001);
        ASSERT_TRUE(StretchBlt(
            dest.dc(), p.xDest, p.yDest, 4, 4, source.dc, p.xSrc, p.ySrc, 4, 4, SRCCOPY));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const int sx = x - p.xDest + p.xSrc, sy = y - p.yDest + p.ySrc;
                const bool inRect
                    = x >= p.xDest && x < p.xDest + 4 && y >= p.yDest && y < p.yDest + 4;
                const bool inSource = sx >= 0 && sx < 4 && sy >= 0 && sy < 4;
                EXPECT_EQ(dest.at(x, y), inRect && inSource ? As565(colors[sy * 4 + sx]) : 0x0001)
                    << "placement " << p.xDest << "," << p.yDest << " pixel " << x << "," << y;
            }
        EXPECT_TRUE(dest.GuardsIntact());
    }
    source.Release();
}

TEST_F(GdiTest, HugeExtentsOnlyVisitTheDestination)
{
    MemoryCanvas source(1, 1, {RGB(0, 0, 255)});
    SurfaceMemory dest(3, 2);
    ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, INT_MAX, INT_MAX, source.dc, 0, 0, 1, 1, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(dest.at(x, y), 0x001F);
    ASSERT_TRUE(StretchBlt(dest.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, source.dc, INT_MAX,
        INT_MAX, INT_MAX, INT_MAX, SRCCOPY));
    EXPECT_TRUE(dest.GuardsIntact());
    source.Release();
}

TEST_F(GdiTest, CopyWithinOneDcReadsTheOriginalPixels)
{
    SurfaceMemory surface(4, 1);
    for (int x = 0; x < 4; ++x)
        surface.at(x, 0) = static_cast<uint16_t>(x + 1);
    // Shift right by one: copying in place pixel by pixel would smear pixel 0.
    ASSERT_TRUE(StretchBlt(surface.dc(), 1, 0, 3, 1, surface.dc(), 0, 0, 3, 1, SRCCOPY));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(surface.at(x, 0), x == 0 ? 1 : x);
}

TEST_F(GdiTest, OtherRasterOperationsAndEmptyOrMirroredExtentsAreRefused)
{
    MemoryCanvas source(2, 2, std::vector<COLORREF>(4, RGB(255, 255, 255)));
    SurfaceMemory dest(2, 2, 0x0001);
    struct Args {
        int wDest, hDest, wSrc, hSrc;
        DWORD rop;
    };
    for (Args a :
        {Args{2, 2, 2, 2, 0x00EE0086}, Args{2, 2, 2, 2, 0x00660046}, Args{-2, 2, 2, 2, SRCCOPY},
            Args{2, 2, 2, -2, SRCCOPY}, Args{0, 0, 2, 2, SRCCOPY}, Args{2, 2, 0, 2, SRCCOPY}})
        EXPECT_FALSE(
            StretchBlt(dest.dc(), 0, 0, a.wDest, a.hDest, source.dc, 0, 0, a.wSrc, a.hSrc, a.rop));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(dest.at(x, y), 0x0001);
    source.Release();
}

}  // namespace
