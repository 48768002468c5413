// GDI on the layer: selection and deletion rules, ended handles, pixels
// converted to 5-6-5 and kept inside their canvas, StretchBlt's scaling and
// clipping, and opaque text that stays inside its box.
#include "platform/layer/gdi/default_font.h"
#include "tests/layer/layer_fixture.h"

#include <array>
#include <climits>
#include <string>

namespace layertest {
namespace {

class Gdi : public LayerTest { };

// A bitmap outlives the DC it was made in and comes back from the next
// selection; a new memory DC holds the 1 x 1 monochrome default bitmap; an
// ended DC and the stock brush are no device contexts, and the stock brush is
// never ended.
TEST_F(Gdi, SelectionDecidesWhatMayBeDeletedAndEndedHandlesAreRefused)
{
    MemoryCanvas a(1, 1, {RGB(10, 0, 0)}), b(1, 1, {RGB(0, 20, 0)});
    EXPECT_TRUE(DeleteDC(a.dc) && DeleteDC(b.dc)) << "their bitmaps survive";
    HDC dc = CreateCompatibleDC(nullptr), other = CreateCompatibleDC(nullptr);
    // On the monochrome default bitmap a colour half-way to white or more is white.
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(128, 128, 127)), RGB(255, 255, 255));
    BITMAP record{};
    ASSERT_NE(GetObjectA(a.bitmap, sizeof record, &record), 0);
    const uint32_t* kept = test::BitmapPixels(a.bitmap);
    EXPECT_TRUE(record.bmBits == kept && kept != nullptr && *kept == 0x0A0000u);
    ASSERT_NE(GetObjectA(SelectObject(dc, a.bitmap), sizeof record, &record), 0);
    EXPECT_EQ(record.bmWidth * record.bmHeight * record.bmBitsPixel, 1);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(10, 0, 0));
    EXPECT_EQ(SelectObject(dc, b.bitmap), a.bitmap);
    EXPECT_TRUE(DeleteObject(a.bitmap) && DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    for (HDC ended : {dc, static_cast<HDC>(GetStockObject(BLACK_BRUSH))}) {
        EXPECT_FALSE(DeleteDC(ended) || SelectObject(ended, b.bitmap));
        EXPECT_FALSE(TextOutA(ended, 0, 0, "x", 1));
        EXPECT_EQ(GetPixel(ended, 0, 0), CLR_INVALID);
        EXPECT_FALSE(StretchBlt(ended, 0, 0, 1, 1, other, 0, 0, 1, 1, SRCCOPY));
        EXPECT_FALSE(StretchBlt(other, 0, 0, 1, 1, ended, 0, 0, 1, 1, SRCCOPY));
    }
    EXPECT_NE(SelectObject(other, b.bitmap), nullptr) << "free once its DC is ended";
    EXPECT_EQ(GetPixel(other, 0, 0), RGB(0, 20, 0));
    EXPECT_TRUE(DeleteDC(other) && DeleteObject(b.bitmap));
    EXPECT_EQ(test::LiveGdiObjects(), 0);
    CreateCompatibleDC(nullptr);
    EXPECT_EQ(test::LiveGdiObjects(), 1) << "the DC left behind";
}

// Along one axis of w source pixels over n destination pixels, whether source
// pixel k goes into destination pixel i. Enlarging, i takes the pixel under
// its centre; shrinking, k goes where its centre falls, and the ones that meet
// are ANDed. Down on a boundary; one destination pixel leaves the last out.
bool GoesInto(int64_t k, int64_t i, int64_t w, int64_t n)
{
    if (w <= n)
        return 2 * k * n < (2 * i + 1) * w && (2 * i + 1) * w <= (2 * k + 2) * n;
    return 2 * i * w < (2 * k + 1) * n && (2 * k + 1) * n <= (2 * i + 2) * w
        && !(n == 1 && k == w - 1);
}

// Converted to 5-6-5 by dropping low bits; source pixels outside the bitmap
// are not read and a destination pixel with none keeps what it had; nothing
// outside the destination is written.
TEST_F(Gdi, StretchBltRepeatsOrCombinesPixelsWithinBothCanvases)
{
    std::vector<COLORREF> colors;
    for (int i = 0; i < 20; ++i)
        colors.push_back(RGB(8 * (i % 5 + 1) + 7, 4 * (i / 5 + 1) + 3, 0x87) | 0x0A000000);
    MemoryCanvas source(5, 4, colors);
    for (std::array<int, 8> c : {std::array<int, 8>{0, 0, 5, 4, 0, 0, 5, 4},
             {0, 0, 5, 1, 0, 0, 3, 1}, {0, 0, 3, 1, 0, 0, 5, 1}, {0, 0, 2, 4, 0, 0, 4, 2},
             {0, 0, 4, 4, 2, -1, 4, 4}, {0, 0, 3, 2, 0, 0, 4, 3}, {-2, -1, 4, 4, 0, 0, 4, 4},
             {3, 2, 4, 4, 0, 0, 4, 4}, {1, 1, 4, 4, -1, 3, 4, 4},
             {INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX}}) {
        SurfaceMemory dest(5, 4, 0x0001);
        ASSERT_TRUE(StretchBlt(
            dest.dc, c[0], c[1], c[2], c[3], source.dc, c[4], c[5], c[6], c[7], SRCCOPY));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const int64_t i = int64_t{x} - c[0], j = int64_t{y} - c[1];
                bool copied = false;
                COLORREF s = 0xFFFFFF;
                for (int sy = 0; sy < 4 && i >= 0 && i < c[2] && j >= 0 && j < c[3]; ++sy)
                    for (int sx = 0; sx < 5; ++sx)
                        if (GoesInto(sx - c[4], i, c[6], c[2])
                            && GoesInto(sy - c[5], j, c[7], c[3])) {
                            copied = true;
                            s &= colors[sy * 5 + sx];
                        }
                EXPECT_EQ(dest.at(x, y),
                    copied
                        ? ((GetRValue(s) >> 3) << 11 | (GetGValue(s) >> 2) << 5 | GetBValue(s) >> 3)
                        : 1)
                    << "case " << c[0] << "," << c[2] << "," << c[4] << " pixel " << x << "," << y;
            }
        EXPECT_TRUE(dest.GuardsIntact());
        EXPECT_EQ(GetPixel(dest.dc, 5, 0) & GetPixel(dest.dc, 0, -1), CLR_INVALID);
        EXPECT_EQ(SetPixel(dest.dc, 0, 4, 0) & SetPixel(source.dc, 5, 0, 0), CLR_INVALID);
    }
    // Other raster operations, and empty or mirrored extents.
    SurfaceMemory dest(3, 2, 0x0001);
    for (std::array<int, 5> a :
        {std::array<int, 5>{2, 1, 2, 1, 0x00EE0086}, {-2, 1, 2, 1, SRCCOPY}, {2, 1, 2, -1, SRCCOPY},
            {0, 1, 2, 1, SRCCOPY}, {2, 0, 2, 1, SRCCOPY}, {2, 1, 0, 1, SRCCOPY}})
        EXPECT_FALSE(StretchBlt(dest.dc, 0, 0, a[0], a[1], source.dc, 0, 0, a[2], a[3], a[4]));
    EXPECT_EQ(dest.at(0, 0), 0x0001);
    // Within one DC the original pixels are read: in place it would smear.
    MemoryCanvas wide(3, 2, {RGB(8, 0, 0), RGB(16, 0, 0), RGB(24, 0, 0)});
    for (int x = 0; x < 3; ++x)
        dest.at(x, 0) = static_cast<uint16_t>((x + 1) << 11);  // the same reds in 5-6-5
    for (HDC dc : {dest.dc, wide.dc}) {
        ASSERT_TRUE(StretchBlt(dc, 1, 0, 2, 1, dc, 0, 0, 2, 1, SRCCOPY));
        EXPECT_EQ((std::vector{GetPixel(dc, 0, 0), GetPixel(dc, 1, 0), GetPixel(dc, 2, 0)}),
            (std::vector<COLORREF>{RGB(8, 0, 0), RGB(8, 0, 0), RGB(16, 0, 0)}));
    }
    wide.Release();
    source.Release();
}

// Opaque yellow on blue fills exactly the box of the text's advance and line
// height: a 'j' inks left of its cell and a 'k' right of it, yet no ink leaves
// the box, on 5-6-5 memory and on a 32-bit bitmap, inside or across an edge.
TEST_F(Gdi, TextIsYellowOnABlueBoxAndNoInkLeavesTheBox)
{
    const std::string text = "jKeys: LEFT, RIGHT, UP, DOWNk";
    int width = 0;
    for (char c : text)
        width += layer::DefaultFontGlyph(static_cast<unsigned char>(c)).advance;
    const int height = layer::DefaultFontLineHeight();
    EXPECT_TRUE(height >= 14 && height <= 18) << "about the platform's System font: " << height;
    constexpr COLORREF FILL = RGB(8, 8, 24), BLUE = RGB(0, 0, 255), YELLOW = RGB(255, 255, 0);
    for (auto [bitmap32, left, top] :
        {std::tuple{false, 5, 3}, {true, 5, 3}, {false, -7, -2}, {false, 40, 3}}) {
        SurfaceMemory memory(width + 10, 24, 0x0843);  // FILL in 5-6-5
        MemoryCanvas bitmap(width + 10, 24, std::vector<COLORREF>((width + 10) * 24, FILL));
        HDC dc = bitmap32 ? bitmap.dc : memory.dc;
        SetBkColor(dc, BLUE);
        SetTextColor(dc, YELLOW);
        ASSERT_TRUE(TextOutA(dc, left, top, text.data(), static_cast<int>(text.size())));
        int yellow = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < width + 10; ++x) {
                const COLORREF pixel = GetPixel(dc, x, y);
                const bool inBox = x >= left && x < left + width && y >= top && y < top + height;
                EXPECT_TRUE(inBox ? pixel == BLUE || pixel == YELLOW : pixel == FILL)
                    << bitmap32 << " at " << x << "," << y;
                yellow += pixel == YELLOW;
            }
        EXPECT_TRUE(yellow > width * height / 10 && yellow < width * height / 2) << yellow;
        EXPECT_TRUE(memory.GuardsIntact());
        bitmap.Release();
    }
    // Characters the font lacks show as '?'; its first and last are its own.
    const auto draw = [](const std::string& text) {
        SurfaceMemory memory(24, 16);
        EXPECT_TRUE(TextOutA(memory.dc, 0, 0, text.data(), static_cast<int>(text.size())));
        return memory.words;
    };
    EXPECT_EQ(draw("\x1F\x7F\xFF"), draw("???"));
    EXPECT_TRUE(draw(" ") != draw("?") && draw("~") != draw("?"));
}

}  // namespace
}  // namespace layertest
