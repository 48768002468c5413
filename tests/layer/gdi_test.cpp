// GDI on the layer: selection and deletion rules, refused handles, pixels
// converted to and from 5-6-5, StretchBlt's scaling and clipping, and opaque
// text that stays inside its box.
#include "layer/gdi_test_support.h"
#include "platform/layer/default_font.h"

#include <array>
#include <climits>
#include <cstring>
#include <string>

namespace {

using gditest::GdiTest;
using gditest::MakeBitmap;
using gditest::MemoryCanvas;
using gditest::SurfaceMemory;

uint16_t As565(COLORREF c)
{
    return static_cast<uint16_t>(
        ((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3));
}

TEST_F(GdiTest, SelectionDecidesWhatMayBeDeleted)
{
    HBITMAP first = MakeBitmap(1, 1, {RGB(10, 0, 0)});
    HBITMAP second = MakeBitmap(1, 1, {RGB(0, 20, 0)});
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(nullptr);
    // A new memory DC holds the 1 x 1 monochrome default bitmap.
    auto original = static_cast<HBITMAP>(SelectObject(dc, first));
    BITMAP record{};
    ASSERT_NE(GetObjectA(original, sizeof record, &record), 0);
    EXPECT_EQ(record.bmWidth * record.bmHeight * record.bmBitsPixel, 1);

    EXPECT_FALSE(DeleteObject(first)) << "selected: refused, and still whole";
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(10, 0, 0));
    EXPECT_EQ(SelectObject(other, first), nullptr) << "one DC at a time";
    EXPECT_EQ(SelectObject(dc, second), first);
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_FALSE(DeleteObject(dc)) << "a DC goes with DeleteDC";
    EXPECT_TRUE(DeleteDC(dc)) << "the selected bitmap survives";
    EXPECT_NE(SelectObject(other, second), nullptr);
    EXPECT_EQ(GetPixel(other, 0, 0), RGB(0, 20, 0));
    // The stock brush is shared, never counted and never ended.
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    EXPECT_TRUE(DeleteObject(black));
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_EQ(layer::LiveGdiObjectCount(), 0);
}

int someInt = 0;

TEST_F(GdiTest, HandlesOfNoObjectOfTheirKindAreRefusedByEveryCall)
{
    struct BadHandle {
        const char* name;
        void* (*make)();
    };
    const BadHandle handles[] = {{"foreign pointer", [] { return static_cast<void*>(&someInt); }},
        {"deleted DC", [] {
             HDC dc = CreateCompatibleDC(nullptr);
             DeleteDC(dc);
             return static_cast<void*>(dc);
         }}};
    MemoryCanvas good(1, 1, {RGB(7, 7, 7)});
    for (const BadHandle& bad : handles) {
        SCOPED_TRACE(bad.name);
        void* handle = bad.make();
        auto hdc = static_cast<HDC>(handle);
        EXPECT_FALSE(DeleteDC(hdc));
        EXPECT_FALSE(DeleteObject(handle));
        EXPECT_EQ(SelectObject(hdc, good.bitmap), nullptr);
        EXPECT_EQ(SelectObject(good.dc, handle), nullptr);
        EXPECT_EQ(GetPixel(hdc, 0, 0), CLR_INVALID);
        EXPECT_FALSE(TextOutA(hdc, 0, 0, "x", 1));
        EXPECT_FALSE(StretchBlt(hdc, 0, 0, 1, 1, good.dc, 0, 0, 1, 1, SRCCOPY));
        EXPECT_FALSE(StretchBlt(good.dc, 0, 0, 1, 1, hdc, 0, 0, 1, 1, SRCCOPY));
        EXPECT_EQ(layer::LiveGdiObjectCount(), 2);
        EXPECT_EQ(GetPixel(good.dc, 0, 0), RGB(7, 7, 7));
    }
    good.Release();
}

TEST_F(GdiTest, PixelsConvertTo565AndBackInsideTheSurfaceOnly)
{
    struct Color {
        COLORREF written;
        uint16_t stored;  // the 5-6-5 word in surface memory
        COLORREF readBack;  // what SetPixel reports and GetPixel reads
    };
    // The low bits are dropped, not rounded; widening repeats the top bits;
    // the high byte of a COLORREF is not colour.
    for (Color c : {Color{RGB(255, 0, 0), 0xF800, RGB(255, 0, 0)},
             {RGB(0, 255, 0), 0x07E0, RGB(0, 255, 0)}, {RGB(0, 0, 255), 0x001F, RGB(0, 0, 255)},
             {RGB(0x12, 0x34, 0x56), 0x11AA, RGB(16, 52, 82)}, {RGB(7, 3, 7), 0x0000, RGB(0, 0, 0)},
             {0x0A0000FFu, 0xF800, RGB(255, 0, 0)}}) {
        SurfaceMemory surface(5, 4);
        EXPECT_EQ(SetPixel(surface.dc(), 2, 3, c.written), c.readBack);
        EXPECT_EQ(surface.at(2, 3), c.stored) << std::hex << c.written;
        EXPECT_EQ(GetPixel(surface.dc(), 2, 3), c.readBack);
        EXPECT_EQ(surface.at(1, 3) | surface.at(2, 2), 0);
        EXPECT_TRUE(surface.GuardsIntact());
    }
    SurfaceMemory surface(4, 3, 0x1234);
    MemoryCanvas canvas(4, 3, std::vector<COLORREF>(12, RGB(1, 2, 3)));
    EXPECT_EQ(GetPixel(canvas.dc, 3, 2), RGB(1, 2, 3)) << "bitmaps keep eight bits";
    for (auto [x, y] :
        {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}})
        for (HDC dc : {surface.dc(), canvas.dc}) {
            EXPECT_EQ(GetPixel(dc, x, y), CLR_INVALID);
            EXPECT_EQ(SetPixel(dc, x, y, RGB(255, 255, 255)), static_cast<COLORREF>(-1));
        }
    EXPECT_TRUE(surface.GuardsIntact());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(surface.at(x, y), 0x1234);
            EXPECT_EQ(GetPixel(canvas.dc, x, y), RGB(1, 2, 3));
        }
    canvas.Release();
}

// Every pixel different: red carries the column, green the row.
std::vector<COLORREF> Numbered(int width, int height)
{
    std::vector<COLORREF> colors;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            colors.push_back(RGB(8 * (x + 1), 4 * (y + 1), 0x80));
    return colors;
}

// As the platform's default stretch mode does: enlarging repeats the source
// pixel under each destination pixel's centre; shrinking ANDs together the
// source pixels whose centres fall in one destination pixel (down on a
// boundary).
TEST_F(GdiTest, StretchBltRepeatsPixelsAndCombinesTheOnesItDrops)
{
    using Sources = std::vector<std::vector<int>>;  // per destination pixel
    struct Case {
        const char* name;
        int srcW, srcH, xSrc, ySrc, wSrc, hSrc, wDest, hDest;
        Sources columns, rows;
    };
    const Case cases[] = {{"identity", 3, 2, 0, 0, 3, 2, 3, 2, {{0}, {1}, {2}}, {{0}, {1}}},
        {"doubling", 2, 2, 0, 0, 2, 2, 4, 4, {{0}, {0}, {1}, {1}}, {{0}, {0}, {1}, {1}}},
        {"halving", 4, 4, 0, 0, 4, 4, 2, 2, {{0, 1}, {2, 3}}, {{0, 1}, {2, 3}}},
        {"three to five", 3, 1, 0, 0, 3, 1, 5, 1, {{0}, {0}, {1}, {2}, {2}}, {{0}}},
        {"five to three", 5, 1, 0, 0, 5, 1, 3, 1, {{0, 1}, {2}, {3, 4}}, {{0}}},
        {"four to three", 4, 1, 0, 0, 4, 1, 3, 1, {{0}, {1, 2}, {3}}, {{0}}},
        {"source offset", 4, 4, 1, 2, 2, 2, 4, 2, {{1}, {1}, {2}, {2}}, {{2}, {3}}},
        {"axes apart", 4, 2, 0, 0, 4, 2, 2, 4, {{0, 1}, {2, 3}}, {{0}, {0}, {1}, {1}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<COLORREF> colors = Numbered(c.srcW, c.srcH);
        MemoryCanvas source(c.srcW, c.srcH, colors);
        SurfaceMemory dest(c.wDest, c.hDest, 0x0001);
        ASSERT_TRUE(StretchBlt(
            dest.dc(), 0, 0, c.wDest, c.hDest, source.dc, c.xSrc, c.ySrc, c.wSrc, c.hSrc, SRCCOPY));
        for (int j = 0; j < c.hDest; ++j)
            for (int i = 0; i < c.wDest; ++i) {
                COLORREF combined = 0xFFFFFF;
                for (int row : c.rows[j])
                    for (int column : c.columns[i])
                        combined &= colors[row * c.srcW + column];
                EXPECT_EQ(dest.at(i, j), As565(combined)) << i << "," << j;
            }
        EXPECT_TRUE(dest.GuardsIntact());
        source.Release();
    }
}

TEST_F(GdiTest, StretchBltPutsEveryColourInItsOwnChannelBothWays)
{
    MemoryCanvas bitmap(4, 1, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0xFF, 0xFF, 0)});
    SurfaceMemory surface(4, 1);
    ASSERT_TRUE(StretchBlt(surface.dc(), 0, 0, 4, 1, bitmap.dc, 0, 0, 4, 1, SRCCOPY));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(surface.at(x, 0), (std::array<uint16_t, 4>{0xF800, 0x07E0, 0x001F, 0xFFE0}[x]));
    surface.at(2, 0) = 0x0010;  // half blue: 16 of 31
    ASSERT_TRUE(StretchBlt(bitmap.dc, 0, 0, 4, 1, surface.dc(), 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(bitmap.dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(bitmap.dc, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(bitmap.dc, 2, 0), RGB(0, 0, 132));
    bitmap.Release();
}

// Source pixels outside the bitmap are not read, and the destination keeps
// what it had there; destination pixels outside it are not written.
TEST_F(GdiTest, StretchBltClipsBothEndsAndRefusesWhatItCannotDo)
{
    const std::vector<COLORREF> colors = Numbered(4, 4);
    MemoryCanvas source(4, 4, colors);
    struct Placement {
        int xDest, yDest, xSrc, ySrc;
    };
    for (Placement p :
        {Placement{0, 0, 2, -1}, {-2, -1, 0, 0}, {3, 2, 0, 0}, {-10, 0, 0, 0}, {1, 1, -1, 3}}) {
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
    // Huge extents visit only the destination.
    SurfaceMemory dest(3, 2, 0x0001);
    ASSERT_TRUE(StretchBlt(dest.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, source.dc, INT_MAX,
        INT_MAX, INT_MAX, INT_MAX, SRCCOPY));
    EXPECT_TRUE(dest.GuardsIntact());
    // Other raster operations, and empty or mirrored extents.
    struct Args {
        int wDest, hDest, wSrc, hSrc;
        DWORD rop;
    };
    for (Args a : {Args{2, 2, 2, 2, 0x00EE0086}, {-2, 2, 2, 2, SRCCOPY}, {2, 2, 2, -2, SRCCOPY},
             {0, 0, 2, 2, SRCCOPY}, {2, 2, 0, 2, SRCCOPY}})
        EXPECT_FALSE(
            StretchBlt(dest.dc(), 0, 0, a.wDest, a.hDest, source.dc, 0, 0, a.wSrc, a.hSrc, a.rop));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(dest.at(x, 1), 0x0001);
    // Within one DC the original pixels are read: in place it would smear.
    for (int x = 0; x < 3; ++x)
        dest.at(x, 0) = static_cast<uint16_t>(x + 1);
    ASSERT_TRUE(StretchBlt(dest.dc(), 1, 0, 2, 1, dest.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ((std::array<uint16_t, 3>{dest.at(0, 0), dest.at(1, 0), dest.at(2, 0)}),
        (std::array<uint16_t, 3>{1, 1, 2}));
    source.Release();
}

// ---- TextOutA ------------------------------------------------------------------

constexpr uint16_t UNTOUCHED = 0x0841, BLUE = 0x001F, YELLOW = 0xFFE0;

int TextWidth(const std::string& text)
{
    int width = 0;
    for (char c : text)
        width += layer::DefaultFontGlyph(static_cast<unsigned char>(c)).advance;
    return width;
}

void DrawYellowOnBlue(HDC dc, int x, int y, const std::string& text)
{
    SetBkColor(dc, RGB(0, 0, 255));
    SetTextColor(dc, RGB(255, 255, 0));
    ASSERT_TRUE(TextOutA(dc, x, y, text.data(), static_cast<int>(text.size())));
}

TEST_F(GdiTest, TextIsYellowOnABlueBoxAndNoInkLeavesTheBox)
{
    // Every printable character, between a 'j' whose ink starts left of its
    // cell and a 'k' whose ink ends right of it.
    std::string text = "j";
    for (char c = ' '; c <= '~'; ++c)
        text += c;
    text += 'k';
    const int width = TextWidth(text), height = layer::DefaultFontLineHeight();
    SurfaceMemory surface(width + 14, height + 10, UNTOUCHED);
    EXPECT_EQ(SetBkColor(surface.dc(), RGB(0, 0, 255)), RGB(255, 255, 255)) << "the default";
    EXPECT_EQ(SetTextColor(surface.dc(), RGB(255, 255, 0)), RGB(0, 0, 0)) << "the default";
    DrawYellowOnBlue(surface.dc(), 7, 5, text);
    int yellow = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            const uint16_t v = surface.at(x, y);
            if (x >= 7 && x < 7 + width && y >= 5 && y < 5 + height)
                EXPECT_TRUE(v == BLUE || v == YELLOW) << x << "," << y;
            else
                EXPECT_EQ(v, UNTOUCHED) << x << "," << y;
            yellow += v == YELLOW;
        }
    EXPECT_TRUE(surface.GuardsIntact());
    // About the size of the platform's System font, with real strokes.
    EXPECT_TRUE(height >= 14 && height <= 18) << height;
    EXPECT_TRUE(TextWidth("Welcome Aboard!") >= 15 * 6 && TextWidth("Welcome Aboard!") <= 15 * 11);
    EXPECT_GT(yellow, width * height / 10);
    EXPECT_LT(yellow, width * height / 2);
}

}  // namespace
