// GDI on the layer: selection and deletion rules, refused handles, pixels
// converted to 5-6-5 and kept inside their canvas, StretchBlt's
// nearest-neighbour scaling and clipping, and opaque text that stays inside
// its box, also when it is copied from the last box drawn.
#include "layer/layer_fixture.h"
#include "platform/layer/default_font.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string>

namespace layertest {
namespace {

class Gdi : public LayerTest { };

int someInt = 0;

TEST_F(Gdi, SelectionDecidesWhatMayBeDeletedAndStrangeHandlesAreRefused)
{
    MemoryCanvas a(1, 1, {RGB(10, 0, 0)}), b(1, 1, {RGB(0, 20, 0)});
    HBITMAP first = a.bitmap, second = b.bitmap;
    EXPECT_TRUE(DeleteDC(a.dc) && DeleteDC(b.dc)) << "their bitmaps survive";
    HDC dc = CreateCompatibleDC(nullptr), other = CreateCompatibleDC(nullptr);
    // A new memory DC holds the 1 x 1 monochrome default bitmap.
    BITMAP record{};
    ASSERT_NE(GetObjectA(SelectObject(dc, first), sizeof record, &record), 0);
    EXPECT_EQ(record.bmWidth * record.bmHeight * record.bmBitsPixel, 1);
    EXPECT_FALSE(DeleteObject(first)) << "selected: refused, and still whole";
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(10, 0, 0));
    EXPECT_EQ(SelectObject(other, first), nullptr) << "one DC at a time";
    EXPECT_EQ(SelectObject(dc, second), first);
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_FALSE(DeleteObject(dc)) << "a DC goes with DeleteDC";
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_NE(SelectObject(other, second), nullptr);
    // The stock brush is shared, never counted and never ended.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    for (void* bad :
        {static_cast<void*>(&someInt), static_cast<void*>(dc), GetStockObject(BLACK_BRUSH)}) {
        auto hdc = static_cast<HDC>(bad);
        EXPECT_FALSE(DeleteDC(hdc));
        EXPECT_EQ(SelectObject(hdc, second), nullptr);
        EXPECT_EQ(GetPixel(hdc, 0, 0), CLR_INVALID);
        EXPECT_FALSE(TextOutA(hdc, 0, 0, "x", 1));
        EXPECT_FALSE(StretchBlt(hdc, 0, 0, 1, 1, other, 0, 0, 1, 1, SRCCOPY));
        EXPECT_FALSE(StretchBlt(other, 0, 0, 1, 1, hdc, 0, 0, 1, 1, SRCCOPY));
    }
    EXPECT_EQ(SelectObject(other, &someInt), nullptr);
    EXPECT_EQ(GetPixel(other, 0, 0), RGB(0, 20, 0));
    EXPECT_TRUE(DeleteDC(other) && DeleteObject(second));
    EXPECT_EQ(test::LiveGdiObjects(), 0);
}

// Each destination pixel takes source column xSrc + i * wSrc / wDest (rows
// alike), converted to 5-6-5 by dropping low bits; source pixels outside the
// bitmap are not read and the destination keeps what it had there; nothing
// outside the destination is written.
TEST_F(Gdi, StretchBltTakesEachPixelFromItsNearestSourceWithinBothCanvases)
{
    std::vector<COLORREF> colors;
    for (int i = 0; i < 20; ++i)
        colors.push_back(RGB(8 * (i % 5 + 1) + 7, 4 * (i / 5 + 1) + 3, 0x87) | 0x0A000000);
    MemoryCanvas source(5, 4, colors);
    for (std::array<int, 8> c :
        {std::array<int, 8>{0, 0, 5, 4, 0, 0, 5, 4}, {0, 0, 5, 1, 0, 0, 3, 1},
            {0, 0, 3, 1, 0, 0, 5, 1}, {0, 0, 2, 4, 0, 0, 4, 2}, {0, 0, 4, 4, 2, -1, 4, 4},
            {-2, -1, 4, 4, 0, 0, 4, 4}, {3, 2, 4, 4, 0, 0, 4, 4}, {1, 1, 4, 4, -1, 3, 4, 4},
            {INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX}}) {
        SurfaceMemory dest(5, 4, 0x0001);
        ASSERT_TRUE(StretchBlt(
            dest.dc, c[0], c[1], c[2], c[3], source.dc, c[4], c[5], c[6], c[7], SRCCOPY));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const int64_t i = int64_t{x} - c[0], j = int64_t{y} - c[1];
                const int64_t sx = c[4] + i * c[6] / c[2], sy = c[5] + j * c[7] / c[3];
                const bool copied = i >= 0 && i < c[2] && j >= 0 && j < c[3] && sx >= 0 && sx < 5
                    && sy >= 0 && sy < 4;
                const COLORREF s = copied ? colors[sy * 5 + sx] : 0;
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
    SurfaceMemory dest(3, 1, 0x0001);
    for (std::array<int, 5> a : {std::array<int, 5>{2, 1, 2, 1, 0x00EE0086}, {-2, 1, 2, 1, SRCCOPY},
             {2, 1, 2, -1, SRCCOPY}, {0, 0, 2, 1, SRCCOPY}, {2, 1, 0, 1, SRCCOPY}})
        EXPECT_FALSE(StretchBlt(dest.dc, 0, 0, a[0], a[1], source.dc, 0, 0, a[2], a[3], a[4]));
    EXPECT_EQ(dest.at(0, 0), 0x0001);
    // Within one DC the original pixels are read: in place it would smear.
    for (int x = 0; x < 3; ++x)
        dest.at(x, 0) = static_cast<uint16_t>(x + 1);
    ASSERT_TRUE(StretchBlt(dest.dc, 1, 0, 2, 1, dest.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(
        std::vector<uint16_t>(dest.words.begin() + dest.pitch, dest.words.begin() + dest.pitch + 3),
        (std::vector<uint16_t>{1, 1, 2}));
    source.Release();
}

struct TextRun {
    std::string text = "Keys: LEFT, RIGHT, UP, DOWN";
    int x = 0, y = 0;
    COLORREF background = RGB(0, 0, 255), foreground = RGB(255, 255, 0);
};

struct Canvas {
    bool bitmap32 = false;  // a memory DC's 32-bit bitmap, else 5-6-5 surface memory
    int width = 320, height = 24;
};

int TextWidth(const std::string& text)
{
    int width = 0;
    for (char c : text)
        width += layer::DefaultFontGlyph(static_cast<unsigned char>(c)).advance;
    return width;
}

// Draws `run` on a fresh canvas of one colour and gives its pixels; no ink
// may leave the box of the text's advance and line height.
std::vector<COLORREF> Draw(const Canvas& canvas, const TextRun& run)
{
    constexpr COLORREF FILL = RGB(8, 8, 24);  // 0x0843 in 5-6-5
    SurfaceMemory memory(canvas.width, canvas.height, 0x0843);
    MemoryCanvas bitmap(canvas.width, canvas.height,
        std::vector<COLORREF>(static_cast<size_t>(canvas.width) * canvas.height, FILL));
    HDC dc = canvas.bitmap32 ? bitmap.dc : memory.dc;
    SetBkColor(dc, run.background);
    SetTextColor(dc, run.foreground);
    EXPECT_TRUE(TextOutA(dc, run.x, run.y, run.text.data(), static_cast<int>(run.text.size())));
    const int right = run.x + TextWidth(run.text), bottom = run.y + layer::DefaultFontLineHeight();
    std::vector<COLORREF> pixels;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            pixels.push_back(GetPixel(dc, x, y));
            const bool inBox = x >= run.x && x < right && y >= run.y && y < bottom;
            EXPECT_TRUE(inBox || pixels.back() == FILL) << x << "," << y;
        }
    EXPECT_TRUE(memory.GuardsIntact());
    bitmap.Release();
    return pixels;
}

// Text drawn again the same way is copied from the last box drawn. Each case
// draws the legend and then a second text, once straight after it and once
// after something else was drawn in between: the two agree, and no ink leaves
// the box (a 'j' inks left of its cell and a 'k' right of it).
TEST_F(Gdi, TextDrawnAgainLeavesWhatDrawingItAfreshLeaves)
{
    struct Case {
        Canvas firstCanvas, secondCanvas;
        TextRun second;
    };
    for (const Case& c : {Case{}, {{}, {}, {.background = RGB(1, 2, 254)}},
             {{}, {}, {.background = RGB(255, 0, 0)}}, {{}, {}, {.foreground = RGB(0, 255, 0)}},
             {{}, {}, {.text = "Keys: RITE, LEFT, UP, DOWN"}}, {{}, {}, {.text = "Keys: LEFT"}},
             {{}, {}, {.x = 1}}, {{}, {}, {.y = 1}}, {{}, {}, {.x = -7}}, {{}, {.width = 90}, {}},
             {{}, {.height = 9}, {}}, {{}, {.bitmap32 = true}, {}}, {{.bitmap32 = true}, {}, {}},
             {{}, {}, {.text = "jk", .x = 5, .y = 3}}}) {
        SCOPED_TRACE(testing::Message()
            << c.second.text << " at " << c.second.x << "," << c.second.y << " on "
            << c.secondCanvas.width << " x " << c.secondCanvas.height << ", "
            << c.secondCanvas.bitmap32);
        Draw(c.firstCanvas, {});
        const std::vector<COLORREF> straightAfter = Draw(c.secondCanvas, c.second);
        Draw(c.firstCanvas, {});
        Draw({}, {"something else", 3, 2, RGB(9, 9, 9), RGB(200, 200, 200)});
        EXPECT_EQ(straightAfter, Draw(c.secondCanvas, c.second));
    }
}

}  // namespace
}  // namespace layertest
