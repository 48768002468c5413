// StretchBlt: nearest-neighbour scaling, clipping at both ends, and format
// conversion with every colour in its own channel.
#include "layer/gdi_test_support.h"

#include <climits>

namespace {

using gditest::GdiTest;
using gditest::MemoryCanvas;
using gditest::SurfaceMemory;

// A 4 x 4 source whose every pixel is different: red carries the column,
// green the row, so a destination pixel tells where it came from.
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
    int srcW, srcH;  // source picture
    int xSrc, ySrc, wSrc, hSrc;
    int wDest, hDest;
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
        ScaleCase{"OffsetSourceRectangle", 4, 4, 1, 2, 2, 2, 4, 2, {1, 1, 2, 2}, {2, 3}},
        ScaleCase{"WidthAndHeightApart", 4, 2, 0, 0, 4, 2, 2, 4, {0, 2}, {0, 0, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, EveryColourLandsInItsOwnChannelOnTheSurface)
{
    MemoryCanvas source(4, 1, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0xFF, 0xFF, 0)});
    SurfaceMemory dest(4, 1);
    ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 4, 1, source.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0xF800);
    EXPECT_EQ(dest.at(1, 0), 0x07E0);
    EXPECT_EQ(dest.at(2, 0), 0x001F);
    EXPECT_EQ(dest.at(3, 0), 0xFFE0);
    source.Release();
}

TEST_F(GdiTest, SurfaceToBitmapWidensWithTheChannelsInPlace)
{
    SurfaceMemory source(3, 1);
    source.at(0, 0) = 0xF800;
    source.at(1, 0) = 0x07E0;
    source.at(2, 0) = 0x0010;  // half blue: 16 of 31
    MemoryCanvas dest(3, 1, {0, 0, 0});
    ASSERT_TRUE(StretchBlt(dest.dc, 0, 0, 3, 1, source.dc(), 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(dest.dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dest.dc, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dest.dc, 2, 0), RGB(0, 0, 132));
    dest.Release();
}

TEST_F(GdiTest, SurfaceToSurfaceAndBitmapToBitmapCopyExactly)
{
    SurfaceMemory a(2, 1);
    a.at(0, 0) = 0x1234;
    a.at(1, 0) = 0xFEDC;
    SurfaceMemory b(4, 1);
    ASSERT_TRUE(StretchBlt(b.dc(), 0, 0, 4, 1, a.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(b.at(0, 0), 0x1234);
    EXPECT_EQ(b.at(1, 0), 0x1234);
    EXPECT_EQ(b.at(2, 0), 0xFEDC);
    EXPECT_EQ(b.at(3, 0), 0xFEDC);

    MemoryCanvas c(1, 1, {RGB(1, 2, 3)});
    MemoryCanvas d(2, 2, {0, 0, 0, 0});
    ASSERT_TRUE(StretchBlt(d.dc, 0, 0, 2, 2, c.dc, 0, 0, 1, 1, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(GetPixel(d.dc, x, y), RGB(1, 2, 3));
    c.Release();
    d.Release();
    EXPECT_EQ(layer::LiveGdiObjectCount(), 2);  // the two surface DCs
}

TEST_F(GdiTest, SourceOutsideTheBitmapIsNotReadAndLeavesTheDestination)
{
    const std::vector<COLORREF> colors = Numbered(4, 4);
    MemoryCanvas source(4, 4, colors);
    SurfaceMemory dest(4, 4, 0x0001);
    // One to one from (2, -1): only source columns 2..3 and rows 0..2 exist.
    ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 4, 4, source.dc, 2, -1, 4, 4, SRCCOPY));
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            const int sx = 2 + i, sy = -1 + j;
            const bool inside = sx < 4 && sy >= 0;
            EXPECT_EQ(dest.at(i, j), inside ? As565(colors[sy * 4 + sx]) : 0x0001)
                << "at " << i << "," << j;
        }
    source.Release();
}

TEST_F(GdiTest, DestinationIsClippedOnAllFourSides)
{
    const std::vector<COLORREF> colors = Numbered(4, 4);
    MemoryCanvas source(4, 4, colors);
    struct Placement {
        int x, y;
    };
    for (Placement p : {Placement{-2, -1}, Placement{3, 2}, Placement{-10, 0}, Placement{5, 5}}) {
        SurfaceMemory dest(5, 4, 0x0001);
        ASSERT_TRUE(StretchBlt(dest.dc(), p.x, p.y, 4, 4, source.dc, 0, 0, 4, 4, SRCCOPY));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const int sx = x - p.x, sy = y - p.y;
                const bool covered = sx >= 0 && sx < 4 && sy >= 0 && sy < 4;
                EXPECT_EQ(dest.at(x, y), covered ? As565(colors[sy * 4 + sx]) : 0x0001)
                    << "placed at " << p.x << "," << p.y << " pixel " << x << "," << y;
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
    // Shift right by one: a naive in-place copy would smear pixel 0.
    ASSERT_TRUE(StretchBlt(surface.dc(), 1, 0, 3, 1, surface.dc(), 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(surface.at(0, 0), 1);
    EXPECT_EQ(surface.at(1, 0), 1);
    EXPECT_EQ(surface.at(2, 0), 2);
    EXPECT_EQ(surface.at(3, 0), 3);
}

struct Refused {
    const char* name;
    int wDest, hDest, wSrc, hSrc;
    DWORD rop;
};

class RefusedStretchTest : public GdiTest, public testing::WithParamInterface<Refused> { };

TEST_P(RefusedStretchTest, ReturnsFalseAndDrawsNothing)
{
    const Refused& c = GetParam();
    MemoryCanvas source(2, 2, std::vector<COLORREF>(4, RGB(255, 255, 255)));
    SurfaceMemory dest(2, 2, 0x0001);
    EXPECT_FALSE(
        StretchBlt(dest.dc(), 0, 0, c.wDest, c.hDest, source.dc, 0, 0, c.wSrc, c.hSrc, c.rop));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(dest.at(x, y), 0x0001);
    source.Release();
}

INSTANTIATE_TEST_SUITE_P(Arguments, RefusedStretchTest,
    testing::Values(Refused{"SrcPaint", 2, 2, 2, 2, 0x00EE0086},
        Refused{"SrcInvert", 2, 2, 2, 2, 0x00660046},
        Refused{"NegativeDestinationWidth", -2, 2, 2, 2, SRCCOPY},
        Refused{"NegativeSourceHeight", 2, 2, 2, -2, SRCCOPY},
        Refused{"ZeroDestination", 0, 0, 2, 2, SRCCOPY},
        Refused{"ZeroSource", 2, 2, 0, 2, SRCCOPY}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
