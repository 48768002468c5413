// TextOutA: an opaque box of the background colour with the letters in the
// text colour, placed at (x, y), clipped, and nothing drawn outside the box.
#include "layer/gdi_test_support.h"
#include "platform/layer/default_font.h"

#include <climits>
#include <string>

namespace {

using gditest::GdiTest;
using gditest::SurfaceMemory;

constexpr uint16_t kUntouched = 0x0841;  // neither of the colours used below
constexpr uint16_t kBlue = 0x001F;
constexpr uint16_t kYellow = 0xFFE0;

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

// Each pixel: inside the box at (x, y) it is blue or yellow, outside it is
// untouched. Returns the number of yellow pixels.
int CheckBox(SurfaceMemory& surface, int x, int y, int width)
{
    int yellow = 0;
    for (int py = 0; py < surface.height(); ++py)
        for (int px = 0; px < surface.width(); ++px) {
            const uint16_t v = surface.at(px, py);
            const bool inBox
                = px >= x && px < x + width && py >= y && py < y + layer::DefaultFontLineHeight();
            if (inBox)
                EXPECT_TRUE(v == kBlue || v == kYellow) << px << "," << py;
            else
                EXPECT_EQ(v, kUntouched) << px << "," << py;
            yellow += v == kYellow;
        }
    EXPECT_TRUE(surface.GuardsIntact());
    return yellow;
}

TEST_F(GdiTest, GreetingIsSolidYellowOnABlueBoxAtTheTopLeft)
{
    const std::string text = "Welcome Aboard!";
    SurfaceMemory surface(200, 40, kUntouched);
    EXPECT_EQ(SetBkColor(surface.dc(), RGB(0, 0, 255)), RGB(255, 255, 255));
    EXPECT_EQ(SetTextColor(surface.dc(), RGB(255, 255, 0)), RGB(0, 0, 0));
    DrawYellowOnBlue(surface.dc(), 0, 0, text);
    const int yellow = CheckBox(surface, 0, 0, TextWidth(text));
    // About the size of the platform's System font, with real strokes.
    EXPECT_GE(layer::DefaultFontLineHeight(), 14);
    EXPECT_LE(layer::DefaultFontLineHeight(), 18);
    EXPECT_GE(TextWidth(text), 15 * 6);
    EXPECT_LE(TextWidth(text), 15 * 11);
    EXPECT_GT(yellow, 150);
    EXPECT_LT(yellow, TextWidth(text) * layer::DefaultFontLineHeight() / 2);
}

// Every printable character, between a 'j' whose ink starts left of its cell
// and a 'k' whose ink ends right of it: nothing changes outside the box.
TEST_F(GdiTest, AllOfTheFontStaysInsideItsBox)
{
    std::string text = "j";
    for (char c = ' '; c <= '~'; ++c)
        text += c;
    text += 'k';
    SurfaceMemory surface(TextWidth(text) + 14, 30, kUntouched);
    DrawYellowOnBlue(surface.dc(), 7, 5, text);
    CheckBox(surface, 7, 5, TextWidth(text));
}

TEST_F(GdiTest, GlyphsSitOnACommonBaseline)
{
    SurfaceMemory surface(120, 20, kUntouched);
    DrawYellowOnBlue(surface.dc(), 0, 0, "I._-");
    const int ascent = layer::DefaultFontAscent();
    int pen = 0;
    std::vector<std::vector<int>> inkRows;  // per character
    for (char c : std::string("I._-")) {
        const int advance = layer::DefaultFontGlyph(static_cast<unsigned char>(c)).advance;
        std::vector<int> rows;
        for (int y = 0; y < layer::DefaultFontLineHeight(); ++y)
            for (int x = pen; x < pen + advance; ++x)
                if (surface.at(x, y) == kYellow) {
                    rows.push_back(y);
                    break;
                }
        ASSERT_FALSE(rows.empty()) << c;
        inkRows.push_back(rows);
        pen += advance;
    }
    // 'I' is a tall bar ending on the baseline; '.' sits on it; '_' hangs
    // below it; '-' floats between.
    EXPECT_GE(inkRows[0].size(), 9u);
    EXPECT_EQ(inkRows[0].back(), ascent - 1);
    EXPECT_EQ(inkRows[1].back(), ascent - 1);
    EXPECT_LE(inkRows[1].size(), 4u);
    EXPECT_GE(inkRows[2].front(), ascent);
    EXPECT_GT(inkRows[3].front(), inkRows[0].front());
    EXPECT_LT(inkRows[3].back(), ascent - 1);
}

// Drawn partly or wholly off the surface, what shows is exactly that part of
// the same text drawn in full.
TEST_F(GdiTest, ClippedTextShowsTheMatchingPartOfTheWholeText)
{
    const std::string text = "Keys: LEFT, RIGHT";
    const int width = TextWidth(text);
    const int height = layer::DefaultFontLineHeight();
    SurfaceMemory whole(width, height, kUntouched);
    DrawYellowOnBlue(whole.dc(), 0, 0, text);
    const int origins[][2] = {{-5, -3}, {width - 20, height - 6}, {-width + 3, 0}, {INT_MIN, 0},
        {INT_MAX, 0}, {0, INT_MIN}, {0, INT_MAX}};
    for (const auto& o : origins) {
        SurfaceMemory part(width, height, kUntouched);
        DrawYellowOnBlue(part.dc(), o[0], o[1], text);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int64_t wx = int64_t{x} - o[0], wy = int64_t{y} - o[1];
                const bool inText = wx >= 0 && wx < width && wy >= 0 && wy < height;
                EXPECT_EQ(part.at(x, y),
                    inText ? whole.at(static_cast<int>(wx), static_cast<int>(wy)) : kUntouched)
                    << "origin " << o[0] << "," << o[1] << " pixel " << x << "," << y;
            }
        EXPECT_TRUE(part.GuardsIntact());
    }
}

TEST_F(GdiTest, OnlyCountCharactersAreDrawnAndUnprintableOnesAsQuestionMarks)
{
    SurfaceMemory question(20, 20, kUntouched);
    DrawYellowOnBlue(question.dc(), 0, 0, "?");
    SurfaceMemory odd(20, 20, kUntouched);
    const char text[3] = {'\x01', 'b', 'c'};  // no terminator
    SetBkColor(odd.dc(), RGB(0, 0, 255));
    SetTextColor(odd.dc(), RGB(255, 255, 0));
    EXPECT_TRUE(TextOutA(odd.dc(), 0, 0, text, 1));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(odd.at(x, y), question.at(x, y));

    EXPECT_TRUE(TextOutA(odd.dc(), 0, 0, text, 0));
    EXPECT_FALSE(TextOutA(odd.dc(), 0, 0, text, -1));
    EXPECT_FALSE(TextOutA(odd.dc(), 0, 0, nullptr, 3));
    EXPECT_TRUE(odd.GuardsIntact());
}

}  // namespace
