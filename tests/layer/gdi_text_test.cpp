// TextOutA: an opaque box of the background colour with the letters in the
// text colour, placed at (x, y), clipped, and nothing drawn outside the box.
#include "layer/gdi_test_support.h"
#include "platform/layer/default_font.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {

using gditest::GdiTest;
using gditest::SurfaceMemory;

constexpr uint16_t kUntouched = 0x0841;  // neither of the colours used below
constexpr uint16_t kBlue = 0x001F;
constexpr uint16_t kYellow = 0xFFE0;

// The smallest rectangle holding every pixel that is no longer kUntouched.
struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN,
        bottom = INT_MIN;  // right, bottom exclusive
    int Width() const
    {
        return right - left;
    }
    int Height() const
    {
        return bottom - top;
    }
};

Box ChangedBox(SurfaceMemory& surface)
{
    Box box;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x)
            if (surface.at(x, y) != kUntouched) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

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

TEST_F(GdiTest, ColoursStartAsBlackOnWhiteAndReturnThePrevious)
{
    SurfaceMemory surface(4, 4);
    EXPECT_EQ(SetBkColor(surface.dc(), RGB(0, 0, 255)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkColor(surface.dc(), RGB(1, 2, 3)), RGB(0, 0, 255));
    EXPECT_EQ(SetTextColor(surface.dc(), RGB(255, 255, 0)), RGB(0, 0, 0));
    EXPECT_EQ(SetTextColor(surface.dc(), RGB(4, 5, 6)), RGB(255, 255, 0));
    // Each DC has its own.
    SurfaceMemory other(4, 4);
    EXPECT_EQ(SetBkColor(other.dc(), 0), RGB(255, 255, 255));
}

TEST_F(GdiTest, GreetingIsYellowOnABlueBoxAtTheTopLeft)
{
    const std::string text = "Welcome Aboard!";
    SurfaceMemory surface(200, 40, kUntouched);
    DrawYellowOnBlue(surface.dc(), 0, 0, text);

    const Box box = ChangedBox(surface);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.Width(), TextWidth(text));
    EXPECT_EQ(box.Height(), layer::DefaultFontLineHeight());
    // About the size of the platform's System font.
    EXPECT_GE(box.Height(), 14);
    EXPECT_LE(box.Height(), 18);
    EXPECT_GE(box.Width(), 15 * 6);
    EXPECT_LE(box.Width(), 15 * 11);

    // Solid: every pixel of the box is one of the two colours, no blend.
    int yellow = 0;
    int blue = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            yellow += surface.at(x, y) == kYellow;
            blue += surface.at(x, y) == kBlue;
        }
    EXPECT_EQ(yellow + blue, box.Width() * box.Height());
    EXPECT_GT(yellow, 150);  // real strokes, not a speck per letter
    EXPECT_GT(blue, yellow);
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_F(GdiTest, GlyphsSitOnACommonBaseline)
{
    SurfaceMemory surface(120, 20, kUntouched);
    DrawYellowOnBlue(surface.dc(), 0, 0, "I._-");
    const int ascent = layer::DefaultFontAscent();
    // Rows holding ink, per character cell.
    auto inkRows = [&](int left, int right) {
        std::vector<int> rows;
        for (int y = 0; y < layer::DefaultFontLineHeight(); ++y)
            for (int x = left; x < right; ++x)
                if (surface.at(x, y) == kYellow) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    };
    int pen = 0;
    std::vector<std::vector<int>> cells;
    for (char c : std::string("I._-")) {
        const int advance = layer::DefaultFontGlyph(static_cast<unsigned char>(c)).advance;
        cells.push_back(inkRows(pen, pen + advance));
        pen += advance;
    }
    // 'I' is a tall bar ending on the baseline; '.' sits on the baseline;
    // '_' hangs below it; '-' floats in the middle.
    ASSERT_FALSE(cells[0].empty());
    EXPECT_GE(cells[0].size(), 9u);
    EXPECT_EQ(cells[0].back(), ascent - 1);
    ASSERT_FALSE(cells[1].empty());
    EXPECT_EQ(cells[1].back(), ascent - 1);
    EXPECT_LE(cells[1].size(), 4u);
    ASSERT_FALSE(cells[2].empty());
    EXPECT_GE(cells[2].front(), ascent);
    ASSERT_FALSE(cells[3].empty());
    EXPECT_GT(cells[3].front(), cells[0].front());
    EXPECT_LT(cells[3].back(), ascent - 1);
}

// Every printable character, between a 'j' whose ink starts left of its cell
// and a 'k' whose ink ends right of it: nothing may change outside the box.
TEST_F(GdiTest, TextIsPlacedAtItsOriginAndStaysInItsBox)
{
    std::string text = "j";
    for (char c = ' '; c <= '~'; ++c)
        text += c;
    text += 'k';
    const int width = TextWidth(text);
    const int height = layer::DefaultFontLineHeight();
    const int canvasWidth = width + 14;
    const int canvasHeight = height + 10;
    gditest::MemoryCanvas canvas(
        canvasWidth, canvasHeight, std::vector<COLORREF>(canvasWidth * canvasHeight, RGB(9, 9, 9)));
    DrawYellowOnBlue(canvas.dc, 7, 5, text);
    for (int y = 0; y < canvasHeight; ++y)
        for (int x = 0; x < canvasWidth; ++x) {
            const COLORREF c = GetPixel(canvas.dc, x, y);
            const bool inBox = x >= 7 && x < 7 + width && y >= 5 && y < 5 + height;
            if (inBox)
                EXPECT_TRUE(c == RGB(0, 0, 255) || c == RGB(255, 255, 0)) << x << "," << y;
            else
                EXPECT_EQ(c, RGB(9, 9, 9)) << x << "," << y;
        }
    canvas.Release();
}

// Drawn partly off the surface, the part that shows is exactly that part of
// the same text drawn in full.
TEST_F(GdiTest, ClippedTextShowsTheMatchingPartOfTheWholeText)
{
    const std::string text = "Keys: LEFT, RIGHT";
    const int width = TextWidth(text);
    const int height = layer::DefaultFontLineHeight();
    SurfaceMemory whole(width, height, kUntouched);
    DrawYellowOnBlue(whole.dc(), 0, 0, text);

    struct Origin {
        int x, y;
    };
    for (Origin o : {Origin{-5, -3}, Origin{width - 20, height - 6}, Origin{-width + 3, 0}}) {
        SurfaceMemory part(width, height, kUntouched);
        DrawYellowOnBlue(part.dc(), o.x, o.y, text);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int wx = x - o.x, wy = y - o.y;
                const bool inText = wx >= 0 && wx < width && wy >= 0 && wy < height;
                EXPECT_EQ(part.at(x, y), inText ? whole.at(wx, wy) : kUntouched)
                    << "origin " << o.x << "," << o.y << " pixel " << x << "," << y;
            }
        EXPECT_TRUE(part.GuardsIntact());
    }
}

TEST_F(GdiTest, UnprintableBytesDrawAsQuestionMarks)
{
    const int height = layer::DefaultFontLineHeight();
    SurfaceMemory question(20, height, kUntouched);
    DrawYellowOnBlue(question.dc(), 0, 0, "?");
    for (const char* odd : {"\x01", "\x7F", "\xE9"}) {
        SurfaceMemory drawn(20, height, kUntouched);
        DrawYellowOnBlue(drawn.dc(), 0, 0, odd);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 20; ++x)
                EXPECT_EQ(drawn.at(x, y), question.at(x, y));
    }
}

TEST_F(GdiTest, TextCountsAreChecked)
{
    SurfaceMemory surface(50, 20, kUntouched);
    EXPECT_TRUE(TextOutA(surface.dc(), 0, 0, "abc", 0));
    EXPECT_FALSE(TextOutA(surface.dc(), 0, 0, "abc", -1));
    EXPECT_FALSE(TextOutA(surface.dc(), 0, 0, nullptr, 3));
    // Only `count` characters are drawn: no terminator is needed.
    const char unterminated[3] = {'a', 'b', 'c'};
    EXPECT_TRUE(TextOutA(surface.dc(), 0, 0, unterminated, 2));
    EXPECT_EQ(ChangedBox(surface).Width(), TextWidth("ab"));
}

TEST_F(GdiTest, TextFarOffTheSurfaceDrawsNothing)
{
    SurfaceMemory surface(30, 20, kUntouched);
    for (int x : {INT_MIN, -100000, 31, INT_MAX})
        EXPECT_TRUE(TextOutA(surface.dc(), x, 0, "Hello", 5));
    EXPECT_TRUE(TextOutA(surface.dc(), 0, INT_MIN, "Hello", 5));
    EXPECT_TRUE(TextOutA(surface.dc(), 0, INT_MAX, "Hello", 5));
    EXPECT_EQ(ChangedBox(surface).right, INT_MIN);  // no pixel changed
    EXPECT_TRUE(surface.GuardsIntact());
}

}  // namespace
